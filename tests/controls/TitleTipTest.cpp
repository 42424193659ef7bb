// CTitleTipWnd on real windows: its kind of window, when Show repaints and moves it, and what
// it paints, itself or through an owner-drawn list's DrawItem.
#include <doctest/doctest.h>

#include <functional>
#include <string>
#include <vector>

#include "TipHost.h"
#include "controls/TitleTipWnd.h"
#include "framework/WinApp.h"
#include "support/TestSupport.h"

using testing::TipHost;

namespace {

CWinApp g_app;

// A tip that notes the position flags of every placement.
class CPlacedTip : public CTitleTipWnd {
public:
    std::vector<UINT> m_flags;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_WINDOWPOSCHANGING)
            m_flags.push_back(reinterpret_cast<WINDOWPOS*>(lParam)->flags);
        return CTitleTipWnd::WindowProc(message, wParam, lParam);
    }
};

// An owner-drawn list that records what it is asked to draw.
class COwnerDrawnList : public CPathListBox {
public:
    std::vector<DRAWITEMSTRUCT> m_drawn;
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override { m_drawn.push_back(*drawItem); }
};

bool HasUpdate(const CWnd& wnd)
{
    return ::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE) != FALSE;
}

// The pixels of a window's client area (cx by cy), or of what `reference` draws on a bitmap of
// that size, as 0x00RRGGBB values.
std::vector<DWORD> Pixels(HWND hWnd, int cx, int cy, const std::function<void(HDC)>& reference = {})
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    if (reference) {
        reference(memory);
    } else {
        HDC client = ::GetDC(hWnd);
        ::BitBlt(memory, 0, 0, cx, cy, client, 0, 0, SRCCOPY);
        ::ReleaseDC(hWnd, client);
    }
    ::GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + cx * cy);
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    return pixels;
}

DWORD AsPixel(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

const char* const kPath = "C:\\WINNT\\system32\\ntdll.dll";

}  // namespace

TEST_CASE("a tip is a hidden popup owned by its list's window, bordered unless owner-drawn")
{
    struct Case { const char* what; DWORD style; bool border; } cases[] = {
        {"plain", LBS_NOTIFY | LBS_SORT, true},
        {"owner-drawn fixed", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, false},
        {"owner-drawn variable", LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, false},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.what));
        CPathListBox list;
        TipHost host(list, c.style);
        list.AddItem(kPath, 0);
        CTitleTipWnd tip, second;
        REQUIRE(tip.Create(&list));
        REQUIRE(second.Create(&list));
        DWORD style = tip.GetStyle();
        CHECK((style & WS_POPUP) != 0);
        CHECK(((style & WS_BORDER) != 0) == c.border);
        CHECK_FALSE(tip.IsWindowVisible());
        CHECK(::GetWindow(tip.m_hWnd, GW_OWNER) == host.m_wnd.m_hWnd);
        CHECK(::GetClassLongA(tip.m_hWnd, GCL_STYLE) == (CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS));
        char name[80] = "", secondName[80] = "";
        ::GetClassNameA(tip.m_hWnd, name, sizeof name);
        ::GetClassNameA(second.m_hWnd, secondName, sizeof secondName);
        CHECK(std::string(name) == secondName);
    }
}

TEST_CASE("Show repaints for a new entry, moves for a new rectangle, and is topmost every time")
{
    CPathListBox list;
    TipHost host(list, LBS_NOTIFY | LBS_SORT);
    list.AddItem("C:\\a\\a.dll", 0);
    list.AddItem("C:\\b\\b.dll", 0);
    CPlacedTip tip;
    REQUIRE(tip.Create(&list));
    const CRect r1 = host.RowOnScreen(0);
    const CRect r2(r1.left + 20, r1.top + 30, r1.right + 20, r1.bottom + 30);  // same size
    const CRect r3(r2.left, r2.top, r2.right + 40, r2.bottom);                 // wider
    const UINT kept = SWP_NOMOVE | SWP_NOSIZE;
    struct Step { const char* what; CRect rect; int item; bool repaint; bool placed; } steps[] = {
        {"first show", r1, 0, true, true},
        {"same entry, same place", r1, 0, false, false},
        {"new entry, same place", r1, 1, true, false},
        {"same entry, moved", r2, 1, false, true},
        {"same entry, resized: the class styles repaint", r3, 1, true, true},
    };
    for (const Step& s : steps) {
        INFO(std::string(s.what));
        tip.UpdateWindow();  // nothing left to paint from the step before
        // Someone else took the top: every Show makes the tip topmost again.
        ::SetWindowPos(tip.m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        tip.m_flags.clear();
        CHECK(tip.Show(s.rect, s.item));
        CHECK(HasUpdate(tip) == s.repaint);
        REQUIRE_FALSE(tip.m_flags.empty());
        CHECK(((tip.m_flags.front() & kept) == 0) == s.placed);
        CHECK((tip.m_flags.front() & SWP_NOACTIVATE) != 0);
        CHECK((::GetWindowLongA(tip.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        CHECK(tip.IsWindowVisible());
        CHECK(::GetActiveWindow() == host.m_wnd.m_hWnd);
        CRect placed;
        tip.GetWindowRect(placed);
        CHECK(placed == s.rect);
    }
    CHECK(tip.Hide());
    CHECK_FALSE(tip.IsWindowVisible());
}

TEST_CASE("a plain tip paints the full path in the list's font, black on white or selected")
{
    CPathListBox list;
    TipHost host(list, LBS_NOTIFY | LBS_SORT);
    list.AddItem(kPath, 0);
    CTitleTipWnd tip;
    REQUIRE(tip.Create(&list));
    CRect rect;
    list.GetTipRect(0, rect);
    list.ClientToScreen(rect);

    const int changed[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF saved[] = {::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT)};
    const COLORREF odd[] = {RGB(0, 128, 0), RGB(200, 0, 200)};
    const HFONT dialogFont = host.m_hFont, defaultFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    struct Case {
        const char* what;
        bool select;
        bool noFont;
        bool clear;
        COLORREF back;
        COLORREF text;
        const char* shown;
    } cases[] = {
        {"unselected, whatever the window colours", false, false, false, RGB(255, 255, 255), RGB(0, 0, 0), kPath},
        {"selected", true, false, false, ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT), kPath},
        {"a list without a font: the default one", false, true, false, RGB(255, 255, 255), RGB(0, 0, 0), kPath},
        {"entry gone since", false, true, true, RGB(255, 255, 255), RGB(0, 0, 0), ""},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.what));
        ::SetSysColors(2, changed, odd);
        list.SetCurSel(c.select ? 0 : -1);
        if (c.noFont)
            list.SendMessage(WM_SETFONT, 0);
        if (c.clear)
            list.ClearItems();
        tip.Show(rect, 0);
        tip.Invalidate();
        tip.UpdateWindow();
        CRect client;
        tip.GetClientRect(client);
        CHECK(client.Width() == rect.Width() - 2);  // the one-line border
        auto reference = [&](HFONT font) {
            return Pixels(nullptr, client.right, client.bottom, [&](HDC dc) {
                ::SetBkColor(dc, c.back);
                ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, client, nullptr, 0, nullptr);
                ::SelectObject(dc, font);
                ::SetTextColor(dc, c.text);
                ::SetBkMode(dc, TRANSPARENT);
                ::TextOutA(dc, 1, -1, c.shown, static_cast<int>(strlen(c.shown)));
            });
        };
        std::vector<DWORD> painted = Pixels(tip.m_hWnd, client.right, client.bottom);
        ::SetSysColors(2, changed, saved);
        CHECK(painted.front() == AsPixel(c.back));
        CHECK(painted == reference(c.noFont ? defaultFont : dialogFont));
        if (*c.shown)
            CHECK(painted != reference(c.noFont ? dialogFont : defaultFont));  // fonts told apart
    }
}

TEST_CASE("an owner-drawn tip hands its entry to the list's DrawItem")
{
    struct Case {
        const char* what;
        DWORD style;
        int selected;
        int caret;
        int item;
        UINT state;
    } cases[] = {
        {"single selection, selected", 0, 0, -1, 0, ODS_SELECTED | ODS_FOCUS},
        {"single selection, not selected: focus all the same", 0, 0, -1, 1, ODS_FOCUS},
        {"multiple selection, selected, not the caret", LBS_MULTIPLESEL, 1, 2, 1, ODS_SELECTED},
        {"multiple selection, the caret", LBS_MULTIPLESEL, 1, 2, 2, ODS_FOCUS},
        {"entry gone", 0, -1, -1, 7, ODS_FOCUS},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.what));
        COwnerDrawnList list;
        TipHost host(list, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | c.style);
        for (const char* path : {"C:\\a\\a.dll", "C:\\b\\b.dll", "C:\\c\\c.dll"})
            list.AddItem(path, 0);
        if (c.style & LBS_MULTIPLESEL) {
            list.SendMessage(LB_SETSEL, TRUE, c.selected);
            list.SendMessage(LB_SETCARETINDEX, c.caret);
        } else {
            list.SetCurSel(c.selected);
        }
        CTitleTipWnd tip;
        REQUIRE(tip.Create(&list));
        CRect rect = host.RowOnScreen(0);
        rect.right += 30;
        list.m_drawn.clear();
        tip.Show(rect, c.item);
        tip.UpdateWindow();
        REQUIRE(list.m_drawn.size() == 1);
        const DRAWITEMSTRUCT& d = list.m_drawn.front();
        CHECK(d.CtlType == ODT_LISTBOX);
        CHECK(d.CtlID == 1001);
        CHECK(d.itemID == static_cast<UINT>(c.item));
        CHECK(d.itemAction == ODA_DRAWENTIRE);
        CHECK(d.itemState == c.state);
        CHECK(d.hwndItem == list.m_hWnd);
        CHECK(d.hDC != nullptr);
        CHECK(CRect(d.rcItem) == CRect(0, 0, rect.Width(), rect.Height()));  // no border
        CHECK(d.itemData == list.GetItemData(c.item));
        if (c.item >= list.GetCount())
            CHECK(d.itemData == static_cast<ULONG_PTR>(LB_ERR));
    }

    struct State { int selection; DWORD style; int caret; int item; UINT state; } states[] = {
        {1, 0, -1, 0, ODS_SELECTED | ODS_FOCUS},
        {0, 0, 5, 0, ODS_FOCUS},
        {LB_ERR, 0, LB_ERR, 4, ODS_FOCUS},
        {1, LBS_MULTIPLESEL, 3, 3, ODS_SELECTED | ODS_FOCUS},
        {1, LBS_MULTIPLESEL | LBS_OWNERDRAWFIXED, 2, 3, ODS_SELECTED},
        {0, LBS_MULTIPLESEL, 2, 3, 0},
        {LB_ERR, LBS_MULTIPLESEL, LB_ERR, 3, 0},
    };
    for (const State& s : states) {
        CAPTURE(s.style);
        CHECK(TipItemState(s.selection, s.style, s.caret, s.item) == s.state);
    }
}
