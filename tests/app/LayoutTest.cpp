// The main dialog's layout: the geometry of lists, buttons and the minimised icon, and the real
// dialog resized, shrunk below its button row and minimised.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestViewerDlg.h"
#include "app/ViewerLayout.h"
#include "support/TestSupport.h"

namespace doctest {
template <> struct StringMaker<CPoint> {
    static String convert(const CPoint& p)
    {
        return ("(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")").c_str();
    }
};
template <> struct StringMaker<Placement> {
    static String convert(const Placement& p)
    {
        return ("{" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.width) +
                ", " + std::to_string(p.height) + "}").c_str();
    }
};
}  // namespace doctest

TEST_CASE("text is measured in a font of the set, and at the resolution, that the test command chose")
{
    // script/test names them (fontconfig's family names, ';' after each): measured in the
    // machine's own fonts, the tests of text on screen would prove nothing about other machines.
    const char* families = std::getenv("QUENDRIX_FONT_FAMILIES");
    const char* dpi = std::getenv("QUENDRIX_DPI");
    REQUIRE_MESSAGE((families && dpi), "QUENDRIX_FONT_FAMILIES and QUENDRIX_DPI are set by script/test");
    HDC screen = ::GetDC(nullptr);
    HFONT font = testing::CreateDialogFont();
    HGDIOBJ previous = ::SelectObject(screen, font);
    char face[LF_FACESIZE] = "";
    ::GetTextFaceA(screen, sizeof face, face);
    const int logPixels = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::SelectObject(screen, previous);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, screen);
    const std::string set = families;
    INFO("the dialog's font is ", std::string(face), "; the set has ", set);
    CHECK((";" + set).find(";" + std::string(face) + ";") != std::string::npos);
    CHECK(logPixels == std::atoi(dpi));
}

TEST_CASE("the lists share the client width and fill the height above the button row")
{
    const struct {
        int cx, cy, buttonHeight;
        Placement processes, modules;
    } cases[] = {
        {600, 400, 23, {7, 7, 293, 356}, {307, 7, 293, 356}},
        // An odd width leaves the last pixel column empty.
        {601, 400, 23, {7, 7, 293, 356}, {307, 7, 293, 356}},
        {15, 100, 20, {7, 7, 0, 59}, {14, 7, 0, 59}},
        // At and below the height of the button row and its margins.
        {300, 44, 23, {7, 7, 143, 0}, {157, 7, 143, 0}},
        {300, 30, 23, {7, 7, 143, -14}, {157, 7, 143, -14}},
        // Minimised: a client area of nothing.
        {0, 0, 23, {7, 7, -7, -44}, {7, 7, -7, -44}},
        {1, 1, 23, {7, 7, -7, -43}, {7, 7, -7, -43}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.cx);
        CAPTURE(c.cy);
        const ListLayout layout = LayoutLists(c.cx, c.cy, c.buttonHeight);
        CHECK(layout.processes == c.processes);
        CHECK(layout.modules == c.modules);
    }
}

TEST_CASE("buttons stand 7 pixels below the lists, in their column")
{
    const CRect button(100, 200, 175, 223);  // 75 wide
    const struct {
        ButtonColumn column;
        int listLeft, listBottom;
        CPoint expected;
    } cases[] = {
        {ButtonColumn::Kept, 300, 400, CPoint(100, 407)},
        {ButtonColumn::UnderModules, 300, 400, CPoint(300, 407)},
        {ButtonColumn::BesideSave, 300, 400, CPoint(382, 407)},
        // Lists above the button's old place move it up; negative screen positions stay.
        {ButtonColumn::Kept, 300, 50, CPoint(100, 57)},
        {ButtonColumn::BesideSave, -500, -20, CPoint(-418, -13)},
    };
    for (const auto& c : cases) {
        CAPTURE(static_cast<int>(c.column));
        CHECK(ButtonPosition(button, c.column, c.listLeft, c.listBottom) == c.expected);
    }
}

TEST_CASE("the minimised icon is centred, halves rounded toward zero")
{
    const struct {
        CSize client, icon;
        CPoint expected;
    } cases[] = {
        {CSize(32, 32), CSize(32, 32), CPoint(0, 0)},
        {CSize(100, 50), CSize(32, 32), CPoint(34, 9)},
        {CSize(33, 34), CSize(32, 32), CPoint(1, 1)},
        {CSize(31, 30), CSize(32, 32), CPoint(0, 0)},
        {CSize(0, 0), CSize(32, 32), CPoint(-15, -15)},
        {CSize(0, 0), CSize(16, 16), CPoint(-7, -7)},
    };
    for (const auto& c : cases) {
        CAPTURE(c.client.cx);
        CAPTURE(c.client.cy);
        CHECK(IconPosition(c.client, c.icon) == c.expected);
    }
}

namespace {

using testing::CTestViewerDlg;

// A control's window rectangle in the dialog's client coordinates.
CRect ChildRect(HWND dialog, int id)
{
    return testing::ClientRectOf(dialog, ::GetDlgItem(dialog, id));
}

// A control's rectangle from the dialog template in pixels; the position and the size are
// converted each on its own, as the dialog manager does.
CRect TemplateRect(HWND dialog, int x, int y, int width, int height)
{
    CRect units(x, y, width, height);
    ::MapDialogRect(dialog, &units);
    return CRect(units.left, units.top, units.left + units.right, units.top + units.bottom);
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + ")";
}

#define CHECK_RECT(actual, expected) CHECK(Describe(actual) == Describe(expected))

// The ids of the dialog's controls in tab order.
std::string TabOrder(HWND dialog)
{
    std::string ids;
    HWND first = ::GetNextDlgTabItem(dialog, nullptr, FALSE);
    HWND item = first;
    for (int n = 0; item && n < 10; ++n) {
        ids += std::to_string(::GetDlgCtrlID(item)) + " ";
        item = ::GetNextDlgTabItem(dialog, item, FALSE);
        if (item == first)
            break;
    }
    return ids;
}

// The pixels of `area` (client coordinates) of a window as the screen shows them, or as the
// window draws them when asked now.
std::vector<COLORREF> Pixels(HWND hWnd, const CRect& area, bool drawNow)
{
    CRect client;
    ::GetClientRect(hWnd, &client);
    HDC dc = ::GetDC(hWnd);
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    if (drawNow)
        ::SendMessageA(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    else
        ::BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(hWnd, dc);
    return pixels;
}

// How many pixels of a control, as far as it lies inside the dialog's client area, the screen
// shows differently from how the control draws itself.
int WrongPixels(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    CRect client, visible;
    ::GetClientRect(control, &client);
    ::MapWindowPoints(control, dialog, reinterpret_cast<POINT*>(&client), 2);
    CRect dialogClient;
    ::GetClientRect(dialog, &dialogClient);
    ::IntersectRect(&visible, &client, &dialogClient);
    ::MapWindowPoints(dialog, control, reinterpret_cast<POINT*>(&visible), 2);
    const std::vector<COLORREF> shown = Pixels(control, visible, false);
    const std::vector<COLORREF> drawn = Pixels(control, visible, true);
    int wrong = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        wrong += shown[i] != drawn[i];
    return wrong;
}

// Has every pending paint of the dialog and its controls done now.
void PaintNow(HWND dialog)
{
    testing::Pump();
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Where the lists stand for a client area `cx` wide whose height leaves them `listHeight`, and
// the top of the button row, worked out by hand. The buttons keep their template sizes: Refresh
// and Close where the template has them, Save under the module list and Copy 7 to its right.
struct Worked {
    int cx, listHeight;
    CRect processes, modules;
    int buttonsTop;
};
// Lists of less than no height keep none, and an odd width leaves the last pixel column empty.
const Worked kLow = {250, -15, {7, 7, 125, 7}, {132, 7, 250, 7}, 14};
const Worked kOdd = {601, 289, {7, 7, 300, 296}, {307, 7, 600, 296}, 303};
// Minimised: a client area of nothing.
const Worked kMinimised = {0, 0, {7, 7, 7, 7}, {7, 7, 7, 7}, 14};

// Checks every control of the dialog against a layout worked out by hand.
void CheckLayout(HWND dialog, const Worked& worked)
{
    CAPTURE(worked.cx);
    const CRect refresh = TemplateRect(dialog, 63, 191, 50, 14), close = TemplateRect(dialog, 2, 191, 50, 14);
    const CRect save = TemplateRect(dialog, 216, 191, 80, 14), copy = TemplateRect(dialog, 303, 191, 80, 14);
    const int top = worked.buttonsTop, modulesLeft = worked.modules.left;
    auto at = [&](const CRect& button, int left) {
        return CRect(left, top, left + button.Width(), top + button.Height());
    };
    CHECK_RECT(ChildRect(dialog, IDC_PROCESS_LIST), worked.processes);
    CHECK_RECT(ChildRect(dialog, IDC_MODULE_LIST), worked.modules);
    CHECK_RECT(ChildRect(dialog, IDC_REFRESH), at(refresh, refresh.left));
    CHECK_RECT(ChildRect(dialog, IDCANCEL), at(close, close.left));
    CHECK_RECT(ChildRect(dialog, IDC_SAVE_LIST), at(save, modulesLeft));
    CHECK_RECT(ChildRect(dialog, IDC_COPY_MODULES), at(copy, modulesLeft + save.Width() + 7));
}

}  // namespace

TEST_CASE("resizing the dialog lays out its lists and buttons; minimised, it shows its icon")
{
    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        // The size change during creation left the template's layout alone.
        CHECK(dialog.m_bSizedBeforeControls);
        CHECK_RECT(ChildRect(dlg, IDC_PROCESS_LIST), TemplateRect(dlg, 2, 7, 205, 177));
        CHECK_RECT(ChildRect(dlg, IDC_COPY_MODULES), TemplateRect(dlg, 303, 191, 80, 14));
        const std::string tabOrder = TabOrder(dlg);
        CHECK(tabOrder == "2 1000 1001 1002 1003 1004 ");

        // The template's font, as the tests that measure text make it.
        LOGFONTA shown{}, made{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dlg, WM_GETFONT, 0, 0)), sizeof shown, &shown);
        HFONT font = testing::CreateDialogFont();
        ::GetObjectA(font, sizeof made, &made);
        ::DeleteObject(font);
        CHECK(shown.lfHeight == made.lfHeight);
        CHECK(std::string(shown.lfFaceName) == made.lfFaceName);

        CRect window, client;
        ::GetWindowRect(dlg, &window);
        ::GetClientRect(dlg, &client);
        const SIZE frame = {window.Width() - client.right, window.Height() - client.bottom};
        const int buttonHeight = TemplateRect(dlg, 63, 191, 50, 14).Height();
        for (const Worked& size : {kLow, kOdd}) {
            const int cy = size.listHeight + buttonHeight + 21;
            ::SetWindowPos(dlg, nullptr, 0, 0, size.cx + frame.cx, cy + frame.cy, SWP_NOMOVE | SWP_NOZORDER);
            ::GetClientRect(dlg, &client);
            REQUIRE(client.right == size.cx);
            REQUIRE(client.bottom == cy);
            CheckLayout(dlg, size);
            // Moving the buttons keeps the keyboard's way through the dialog.
            CHECK(TabOrder(dlg) == tabOrder);
        }

        ::ShowWindow(dlg, SW_MINIMIZE);
        REQUIRE(::IsIconic(dlg));
        ::GetClientRect(dlg, &client);
        CHECK(client.right == 0);
        CHECK(client.bottom == 0);
        CheckLayout(dlg, kMinimised);

        // Painting then erases the icon's background on the paint context and validates.
        ::SendMessageA(dlg, WM_PAINT, 0, 0);
        CHECK(dialog.m_nIconErases == 1);
        CHECK(dialog.m_hIconEraseDC != nullptr);
        CHECK_FALSE(::GetUpdateRect(dlg, nullptr, FALSE));

        // Restored, the dialog has its last size back and paints its controls as usual.
        ::ShowWindow(dlg, SW_RESTORE);
        CHECK_FALSE(::IsIconic(dlg));
        ::GetClientRect(dlg, &client);
        CHECK(client.right == kOdd.cx);
        CheckLayout(dlg, kOdd);
        ::InvalidateRect(dlg, nullptr, TRUE);
        ::UpdateWindow(dlg);
        CHECK(dialog.m_nIconErases == 1);
        CHECK_FALSE(::GetUpdateRect(dlg, nullptr, FALSE));
    });
}

TEST_CASE("after the dialog shrinks, the lists show all they draw")
{
    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        PaintNow(dlg);
        for (int id : {IDC_PROCESS_LIST, IDC_MODULE_LIST, IDC_REFRESH, IDCANCEL, IDC_SAVE_LIST,
                       IDC_COPY_MODULES})
            REQUIRE_MESSAGE(WrongPixels(dlg, id) == 0, "the screen cannot be read back here");

        // The module list moves left, partly from where the dialog no longer reaches.
        CRect window;
        ::GetWindowRect(dlg, &window);
        ::SetWindowPos(dlg, nullptr, 0, 0, window.Width() * 3 / 4, window.Height() * 3 / 4,
                       SWP_NOMOVE | SWP_NOZORDER);
        PaintNow(dlg);
        for (int id : {IDC_PROCESS_LIST, IDC_MODULE_LIST, IDC_REFRESH, IDCANCEL, IDC_SAVE_LIST,
                       IDC_COPY_MODULES}) {
            CAPTURE(id);
            CHECK(WrongPixels(dlg, id) == 0);
        }
    });
}
