// The title tips of CPathListBox on real windows: where the tip goes, and how it follows the
// mouse, the buttons and the capture, told by the message sequences that result.
#include <doctest/doctest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "TipHost.h"
#include "controls/MonitorApi.h"
#include "controls/TipGeometry.h"
#include "controls/TitleTipWnd.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "support/TestSupport.h"

using testing::CaptureHolder;
using testing::TipHost;

namespace {

CWinApp g_app;
std::vector<std::string> g_log;

// A tip that logs the list box's requests.
class CLoggingTip : public CTitleTipWnd {
public:
    BOOL Create(CPathListBox* list) override
    {
        g_log.push_back("create");
        return CTitleTipWnd::Create(list);
    }
    BOOL Show(CRect rect, int item) override
    {
        g_log.push_back("show " + std::to_string(item));
        return CTitleTipWnd::Show(rect, item);
    }
    BOOL Hide() override
    {
        g_log.push_back("hide");
        return CTitleTipWnd::Hide();
    }
};

// A list box with the logging tip, which also logs every change of the capture it hears of.
class CTrackedList : public CPathListBox {
public:
    CTrackedList()
    {
        delete m_pTipWnd;
        m_pTipWnd = new CLoggingTip;
    }
    using CPathListBox::m_bCaptured;
    using CPathListBox::m_ptLast;
    using CPathListBox::m_pTipWnd;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CAPTURECHANGED)
            g_log.push_back(std::string("capturechanged ") +
                            (lParam == 0 ? "none" : reinterpret_cast<HWND>(lParam) == m_hWnd ? "list" : "other"));
        return CPathListBox::WindowProc(message, wParam, lParam);
    }
    bool TipVisible() const { return ::IsWindowVisible(m_pTipWnd->m_hWnd) != FALSE; }
};

CPoint Center(const CRect& r)
{
    return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

CRect Row(CListBox& list, int index)
{
    CRect row;
    list.GetItemRect(index, row);
    return row;
}

const char* const kLongPath = "C:\\Program Files\\A rather long folder name\\and one more folder\\alpha.dll";

// Requires `paths` to be of different widths in the list's font (the system's measure), each
// wider than the list, yet narrower than the work area right of the list, where no tip is moved.
void RequireWidths(const TipHost& host, std::initializer_list<const char*> paths)
{
    const CRect row = host.RowOnScreen(0);
    CRect work;
    REQUIRE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    std::set<int> widths;
    for (const char* path : paths) {
        const int width = host.TextWidth(path) + 4;  // with the tip's margin
        INFO(path, " is ", width, " wide; the row ", row.Width(), ", the work area right of it ",
             work.right - row.left);
        REQUIRE(width > row.Width());
        REQUIRE(width <= work.right - row.left);
        REQUIRE(widths.insert(width).second);
    }
}

}  // namespace

TEST_CASE("tip rectangles are the row, grown only to the right for the full path")
{
    struct Case { const char* name; DWORD style; const char* path; bool freeRecord; bool widened; } cases[] = {
        {"long path", LBS_NOTIFY, kLongPath, false, true},
        {"path narrower than the row", LBS_NOTIFY, "C:\\x.dll", false, false},
        {"owner-drawn fixed", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, kLongPath, false, false},
        {"owner-drawn variable", LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, kLongPath, false, false},
        {"entry without a path", LBS_NOTIFY, kLongPath, true, false},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        CPathListBox list;
        TipHost host(list, c.style);
        list.AddItem("C:\\first\\first.dll", 0);
        int index = list.AddItem(c.path, 0);
        if (c.freeRecord)
            list.FreeItemData(index);
        CRect row = Row(list, index);
        CRect tip;
        CHECK(list.GetTipRect(index, tip) != LB_ERR);
        CRect expected = row;
        if (c.widened)
            expected.right = row.left + host.TextWidth(c.path) + 4;
        CHECK(tip == expected);
        CHECK(tip.right >= row.right);

        // An index that names no entry leaves the rectangle alone.
        CRect untouched(1, 2, 3, 4);
        CHECK(list.GetTipRect(7, untouched) == LB_ERR);
        CHECK(untouched == CRect(1, 2, 3, 4));
    }

    struct Widen { CRect row; int text; CRect tip; } widen[] = {
        {{10, 20, 110, 33}, 200, {10, 20, 214, 33}},
        {{10, 20, 110, 33}, 96, {10, 20, 110, 33}},   // exactly fits with its margin
        {{10, 20, 110, 33}, 97, {10, 20, 111, 33}},
        {{-5, 0, 50, 13}, 0, {-5, 0, 50, 13}},
    };
    for (const Widen& w : widen) {
        CAPTURE(w.text);
        CHECK(WidenTipRect(w.row, w.text) == w.tip);
    }
}

TEST_CASE("the tip stays on its monitor's work area, its left edge winning over its right")
{
    const CRect primary(0, 0, 1024, 738), right(1024, 0, 2304, 984), left(-1280, -200, 0, 824);
    struct Clamp { const char* what; CRect tip; CRect bounds; CRect result; } cases[] = {
        {"inside", {100, 5, 300, 18}, primary, {100, 5, 300, 18}},
        {"past the right edge", {900, 5, 1100, 18}, primary, {824, 5, 1024, 18}},
        {"just beyond it", {1024, 5, 1030, 18}, primary, {1018, 5, 1024, 18}},
        {"past the left edge", {-20, 5, 100, 18}, primary, {0, 5, 120, 18}},
        {"wider than the work area", {500, 5, 2000, 18}, primary, {0, 5, 1500, 18}},
        {"inside a monitor to the right", {1500, 5, 1700, 18}, right, {1500, 5, 1700, 18}},
        {"past that monitor's right edge", {2200, 5, 2400, 18}, right, {2104, 5, 2304, 18}},
        {"wider than that monitor", {1100, 5, 2500, 18}, right, {1024, 5, 2424, 18}},
        {"inside a monitor to the left", {-900, 5, -600, 18}, left, {-900, 5, -600, 18}},
        {"past that monitor's left edge", {-1300, 5, -1100, 18}, left, {-1280, 5, -1080, 18}},
        {"onto the primary from the left one", {-100, 5, 100, 18}, left, {-200, 5, 0, 18}},
        {"below the work area: not moved up", {100, 900, 300, 913}, primary, {100, 900, 300, 913}},
    };
    for (const Clamp& c : cases) {
        INFO(std::string(c.what));
        CHECK(ClampTipRect(c.tip, c.bounds) == c.result);
    }
}

namespace {

// A second monitor to the right of the screen, as the monitor functions would report it.
const CRect kRightMonitorWork(1024, 0, 2304, 984);
HMONITOR WINAPI RightMonitorFromRect(LPCRECT, DWORD) { return reinterpret_cast<HMONITOR>(0x51); }
BOOL WINAPI RightMonitorInfo(HMONITOR monitor, LPMONITORINFO info)
{
    if (monitor != reinterpret_cast<HMONITOR>(0x51) || info->cbSize != sizeof(MONITORINFO))
        return FALSE;
    info->rcMonitor = CRect(1024, 0, 2304, 1024);
    info->rcWork = kRightMonitorWork;
    return TRUE;
}

// Puts other monitor functions in place for one test, and the bound ones back afterwards.
struct MonitorFunctions {
    MonitorFunctions(PfnMonitorFromRect fromRect, PfnGetMonitorInfoA info)
    {
        BindMonitorApi();
        m_fromRect = pfnMonitorFromRect;
        m_info = pfnGetMonitorInfoA;
        pfnMonitorFromRect = fromRect;
        pfnGetMonitorInfoA = info;
    }
    ~MonitorFunctions()
    {
        pfnMonitorFromRect = m_fromRect;
        pfnGetMonitorInfoA = m_info;
    }
    PfnMonitorFromRect m_fromRect;
    PfnGetMonitorInfoA m_info;
};

}  // namespace

TEST_CASE("a tip is kept on the monitor of its entry, or left of SM_CXFULLSCREEN without monitor functions")
{
    CRect workArea;
    REQUIRE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0));
    const int cx = ::GetSystemMetrics(SM_CXFULLSCREEN);
    const CRect row(200, 100, 400, 113);
    BindMonitorApi();
    CHECK((pfnMonitorFromRect != nullptr));
    CHECK((pfnGetMonitorInfoA != nullptr));
    CHECK(TipBounds(row) == workArea);
    {
        MonitorFunctions none(nullptr, nullptr);
        CRect bounds = TipBounds(row);
        CHECK(bounds.left == 0);
        CHECK(bounds.right == cx);
    }

    // On a real list box at the right edge of its monitor's work area.
    const std::string wide = "C:\\" + std::string(400, 'W') + "\\wide.dll";
    // `edge` is where the tip's left edge (`startsAt`) or else its right edge must lie.
    struct Real { const char* what; const char* path; PfnMonitorFromRect fromRect; PfnGetMonitorInfoA info; bool startsAt; int edge; } real[] = {
        {"ends at the work area's right edge", kLongPath, pfnMonitorFromRect, pfnGetMonitorInfoA, false, workArea.right},
        {"wider than the work area: starts at its left edge", wide.c_str(), pfnMonitorFromRect, pfnGetMonitorInfoA, true, workArea.left},
        {"without monitor functions: ends at SM_CXFULLSCREEN", kLongPath, nullptr, nullptr, false, cx},
        {"wider, without monitor functions: starts at 0", wide.c_str(), nullptr, nullptr, true, 0},
        {"the entry's monitor lies to the right", kLongPath, &RightMonitorFromRect, &RightMonitorInfo, true, kRightMonitorWork.left},
    };
    for (const Real& r : real) {
        INFO(std::string(r.what));
        MonitorFunctions functions(r.fromRect, r.info);
        CTrackedList list;
        TipHost host(list, LBS_NOTIFY, {workArea.right - 200, 100, workArea.right, 300});
        list.AddItem(r.path, 0);
        list.ShowTip(0);
        CRect tip;
        list.m_pTipWnd->GetWindowRect(tip);
        CRect row = host.RowOnScreen(0);
        CHECK(tip.Width() == host.TextWidth(r.path) + 4);
        CHECK(tip.top == row.top);
        CHECK(tip.bottom == row.bottom);
        CHECK((r.startsAt ? tip.left : tip.right) == r.edge);
        list.ShowTip(-1);
    }
}

TEST_CASE("the tip follows the mouse over the entries and lives only with the capture")
{
    CTrackedList list;
    TipHost host(list, LBS_NOTIFY);
    list.AddItem(kLongPath, 0);  // its tip sticks out past the list box's right edge
    list.AddItem("C:\\b\\beta.dll", 0);
    list.AddItem("C:\\c\\gamma.dll", 0);
    CRect client;
    list.GetClientRect(client);
    const CPoint row0 = Center(Row(list, 0)), row1 = Center(Row(list, 1)), row2 = Center(Row(list, 2));
    const CPoint belowLast(10, Row(list, 2).bottom + 10);
    const CPoint overTipOutside(client.right + 3, row0.y);
    CWnd other;  // a second window that takes the capture
    REQUIRE(other.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));

    auto move = [&](CPoint p) { return [&, p] { host.MoveTo(p); }; };
    auto post = [&](UINT message, CPoint p) {
        return [&, message, p] {
            list.PostMessage(message, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            testing::Pump();
        };
    };
    // Sent directly, the message passes no PreTranslateMessage.
    auto send = [&](UINT message, CPoint p) {
        return [&, message, p] {
            list.SendMessage(message, 0, MAKELPARAM(p.x, p.y));
            testing::Pump();
        };
    };
    const std::vector<std::string> hiddenAndReleased = {"hide", "capturechanged none", "hide"};

    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> log;
        bool visible;
        std::string capture;
        bool captured;
    } steps[] = {
        {"onto an entry: created, shown, captured", move(row1), {"create", "show 1"}, true, "list", true},
        {"to another entry: moved, not hidden", move(row0), {"show 0"}, true, "list", true},
        {"within the entry", move(CPoint(row0.x + 3, row0.y)), {"show 0"}, true, "list", true},
        {"the same point again", post(WM_MOUSEMOVE, CPoint(row0.x + 3, row0.y)), {}, true, "list", true},
        // Releasing the capture re-enters ShowTip through WM_CAPTURECHANGED.
        {"out of the list, over the tip", move(overTipOutside), hiddenAndReleased, false, "none", false},
        {"back onto an entry", move(row2), {"show 2"}, true, "list", true},
        {"below the last entry", move(belowLast), hiddenAndReleased, false, "none", false},
        {"onto an entry", move(row1), {"show 1"}, true, "list", true},
        {"left button down: hidden first", post(WM_LBUTTONDOWN, row1), hiddenAndReleased, false, "list", false},
        {"moving with the button down", move(row2), {"show 2"}, true, "list", false},
        {"a sent right button down with the tip up repaints it in the new selection colours",
         [&] {
             list.m_pTipWnd->UpdateWindow();
             list.SendMessage(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(row2.x, row2.y));
             CHECK(::GetUpdateRect(list.m_pTipWnd->m_hWnd, nullptr, FALSE));
         },
         {}, true, "list", false},
        {"left button up: the list's capture ends", post(WM_LBUTTONUP, row2), hiddenAndReleased, false, "none", false},
        {"onto an entry", move(row0), {"show 0"}, true, "list", true},
        {"sent button down releases first", send(WM_LBUTTONDOWN, row0), {"capturechanged none", "hide"}, false, "list", false},
        {"sent button up", send(WM_LBUTTONUP, row0), {"capturechanged none", "hide"}, false, "none", false},
        {"onto an entry", move(row1), {"show 1"}, true, "list", true},
        {"another window takes the capture and keeps it", [&] { other.SetCapture(); },
         {"capturechanged other", "hide"}, false, "other", false},
        {"that window lets go", [] { ::ReleaseCapture(); }, {}, false, "none", false},
        {"onto an entry", move(CPoint(row1.x + 2, row1.y)), {"show 1"}, true, "list", true},
        {"right button down", post(WM_RBUTTONDOWN, row1), hiddenAndReleased, false, "none", false},
        {"right button up", post(WM_RBUTTONUP, row1), {"hide"}, false, "none", false},
        {"a tip up without the capture is captured on button up",
         [&] { list.m_pTipWnd->Show(host.RowOnScreen(2), 2); list.SendMessage(WM_LBUTTONUP); },
         {"show 2"}, true, "list", true},
    };
    for (const Step& step : steps) {
        INFO(std::string(step.what));
        g_log.clear();
        step.act();
        CHECK(g_log == step.log);
        CHECK(list.TipVisible() == step.visible);
        CHECK(CaptureHolder(list) == step.capture);
        CHECK((list.m_bCaptured != FALSE) == step.captured);
    }
    other.DestroyWindow();
}

TEST_CASE("tips appear only while the main window is, or lies inside, the active window")
{
    CTrackedList list;
    TipHost host(list, LBS_NOTIFY);
    list.AddItem("C:\\a\\alpha.dll", 0);
    CWnd other;
    REQUIRE(other.CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 500, 500, 50, 50, nullptr, nullptr));

    struct Case { const char* what; CWnd* main; CWnd* active; bool expected; } cases[] = {
        {"main window active", &host.m_wnd, &host.m_wnd, true},
        {"main window inside the active one", &list, &host.m_wnd, true},
        {"another window active", &host.m_wnd, &other, false},
        {"no main window", nullptr, &host.m_wnd, false},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.what));
        g_app.m_pMainWnd = c.main;
        ::SetActiveWindow(c.active->m_hWnd);
        CHECK((list.IsAppActive() != FALSE) == c.expected);
    }

    // While another window is active a move changes nothing, not even the last point.
    g_app.m_pMainWnd = &host.m_wnd;
    ::SetActiveWindow(other.m_hWnd);
    CPoint before = list.m_ptLast;
    g_log.clear();
    host.MoveTo(Center(Row(list, 0)));
    CHECK(g_log.empty());
    CHECK(list.m_ptLast == before);
    CHECK_FALSE(list.TipVisible());
    other.DestroyWindow();
}

TEST_CASE("destroying the list box takes the tip window with it")
{
    struct Case { const char* what; bool shown; std::vector<std::string> log; } cases[] = {
        {"never shown: created only to be destroyed", false, {"create", "hide"}},
        {"shown and captured", true, {"hide", "capturechanged none", "hide"}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.what));
        CTrackedList list;
        TipHost host(list, LBS_NOTIFY);
        list.AddItem("C:\\a\\alpha.dll", 0);
        if (c.shown)
            host.MoveTo(Center(Row(list, 0)));
        INFO(list.IsAppActive(), " ", ::GetActiveWindow() == host.m_wnd.m_hWnd);
        REQUIRE(list.TipVisible() == c.shown);
        g_log.clear();
        list.DestroyWindow();
        CHECK(g_log == c.log);
        CHECK(list.m_pTipWnd->m_hWnd == nullptr);
        CHECK(::GetCapture() == nullptr);
    }
}

TEST_CASE("a tip over entries that change under a resting pointer never shows a path the entry no longer has")
{
    // Three paths of different widths, each wider than the list: the tip's rectangle tells them
    // apart. The pointer rests on the second entry.
    const char* const kBeta = "C:\\Program Files\\Another folder with a long name\\and a second one below it\\beta.dll";
    const char* const kDelta =
        "C:\\Program Files\\A folder whose name is very much longer than that of the others\\delta.dll";
    const char* const kGamma = "C:\\c\\gamma.dll";
    struct Change { const char* what; std::function<void(CPathListBox&)> change; const char* nowUnder; } changes[] = {
        {"refilled, as for another process",
         [&](CPathListBox& list) {
             list.ClearItems();
             for (const char* path : {"C:\\x\\aaa.dll", kDelta, "C:\\x\\zzz.dll"})
                 list.AddItem(path, 0);
         },
         kDelta},
        {"an entry added above it", [](CPathListBox& list) { list.AddItem("C:\\x\\aaa.dll", 0); }, kLongPath},
        {"the entry above it removed",
         [](CPathListBox& list) {
             list.FreeItemData(0);
             list.SendMessage(LB_DELETESTRING, 0);
         },
         kGamma},
    };
    for (const Change& c : changes) {
        INFO(std::string(c.what));
        CTrackedList list;
        TipHost host(list, LBS_NOTIFY | LBS_SORT);
        for (const char* path : {kLongPath, kBeta, kGamma})
            list.AddItem(path, 0);  // alpha.dll, beta.dll, gamma.dll
        auto over = [&](const char* path) {
            CRect row = host.RowOnScreen(1);
            row.right = std::max<LONG>(row.right, row.left + host.TextWidth(path) + 4);
            return row;
        };
        auto tip = [&] {
            CRect rect;
            list.m_pTipWnd->GetWindowRect(rect);
            return rect;
        };
        RequireWidths(host, {kLongPath, kBeta, kDelta});
        REQUIRE_FALSE(over(kBeta) == over(c.nowUnder));
        const CPoint onRow1 = Center(Row(list, 1));
        host.MoveTo(onRow1);
        REQUIRE(list.TipVisible());
        REQUIRE(tip() == over(kBeta));

        c.change(list);
        CHECK((!list.TipVisible() || tip() == over(c.nowUnder)));
        host.MoveTo(CPoint(onRow1.x + 3, onRow1.y));
        CHECK(list.TipVisible());
        CHECK(tip() == over(c.nowUnder));
    }
}

namespace {

class CLoggingView : public CView {
protected:
    void OnActivateView(BOOL activate, CView*, CView*) override
    {
        g_log.push_back(activate ? "view activated" : "view deactivated");
    }
};

}  // namespace

TEST_CASE("a click into a list box inside a view makes that view the frame's active view")
{
    const char* wndClass = AfxRegisterWndClass(0);
    CFrameWnd frame;
    CLoggingView view;
    CTrackedList list;
    REQUIRE(frame.CreateEx(0, wndClass, "frame", WS_POPUP | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr));
    REQUIRE(view.CreateEx(0, wndClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, frame.m_hWnd, nullptr));
    HWND hList = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, 10, 10, 200, 150,
                                   view.m_hWnd, nullptr, nullptr, nullptr);
    list.SubclassWindow(hList);
    list.AddItem("C:\\a\\alpha.dll", 0);
    CHECK(list.GetParentFrame() == &frame);
    CHECK(view.GetParentFrame() == &frame);
    CHECK(frame.GetParentFrame() == nullptr);
    CHECK(frame.GetActiveView() == nullptr);

    g_log.clear();
    list.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    list.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    testing::Pump(20);
    CHECK(frame.GetActiveView() == &view);
    // Each button message hides the tip first; the list control's own capture ends on button up.
    CHECK(g_log == std::vector<std::string>{"create", "hide", "view activated", "hide", "capturechanged none", "hide"});
    frame.DestroyWindow();
}
