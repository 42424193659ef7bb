// The title tips of the running program, driven by the display's own pointer, wheel and keys:
// the program is started from a folder with a long name, so that the tip over its own process
// entry is wider than the list.
#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "framework/Wnd.h"
#include "paths/DisplayName.h"
#include "res/resource.h"
#include "support/RunningProgram.h"
#include "support/TestSupport.h"

namespace {

using testing::ClickAt;
using testing::PointerTo;
using testing::RemoteFindEntry;
using testing::RemoteRowOnScreen;
using testing::WaitFor;
using testing::WindowRect;

// How long a tip may take to show after the pointer's move: a check that none shows waits as
// long as one that sees it show.
const int kTipWait = 2000;

CPoint Center(const RECT& r)
{
    return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The width of `text` in the dialog's font.
int TextWidth(const std::string& text)
{
    HFONT font = testing::CreateDialogFont();
    const int width = testing::TextWidth(font, text);
    ::DeleteObject(font);
    return width;
}

// The program, started from a copy in a folder with a long name, with the pointer off its window.
class TipsProgram {
public:
    TipsProgram()
        : m_folder(LongFolder()), m_exe(m_folder + testing::ProgramFileName())
    {
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        REQUIRE(::CopyFileA(testing::ProgramPath().c_str(), m_exe.c_str(), FALSE));
        PointerTo(CPoint(::GetSystemMetrics(SM_CXSCREEN) - 10, ::GetSystemMetrics(SM_CYSCREEN) - 10));
        m_program = std::make_unique<testing::RunningProgram>(m_exe);
        REQUIRE(WaitFor([&] { return RemoteFindEntry(Processes(), testing::ProgramFileName()) >= 0; }));
        REQUIRE_FALSE(WindowRect(Dialog()).PtInRect(Away()));
    }
    ~TipsProgram()
    {
        m_program.reset();
        ::DeleteFileA(m_exe.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }
    TipsProgram(const TipsProgram&) = delete;
    TipsProgram& operator=(const TipsProgram&) = delete;

    const std::string& Exe() const { return m_exe; }
    HWND Dialog() const { return m_program->Dialog(); }
    HWND Processes() const { return m_program->Item(IDC_PROCESS_LIST); }
    HWND Modules() const { return m_program->Item(IDC_MODULE_LIST); }
    DWORD Id() const { return m_program->Id(); }
    long WaitForExit(DWORD ms) const { return m_program->WaitForExit(ms); }
    // The program's tip window once it is visible, else null.
    HWND VisibleTip() const { return testing::FindVisibleWindow(Id(), "FwWnd:"); }
    // A point of the screen off the program's window.
    static CPoint Away() { return CPoint(::GetSystemMetrics(SM_CXSCREEN) - 10, ::GetSystemMetrics(SM_CYSCREEN) - 10); }

private:
    static std::string LongFolder()
    {
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + "Quendrix tips seen end to end, from a folder with a long name\\";
    }

    std::string m_folder;
    std::string m_exe;
    std::unique_ptr<testing::RunningProgram> m_program;
};

// Rests the pointer on entry `index` of `list`, `dx` pixels right of its centre, and returns the
// tip window once it shows.
HWND RestOn(const TipsProgram& program, HWND list, int index, int dx = 0)
{
    CPoint at = Center(RemoteRowOnScreen(list, index));
    PointerTo(CPoint(at.x + dx, at.y));
    HWND tip = nullptr;
    REQUIRE(WaitFor([&] { return (tip = program.VisibleTip()) != nullptr; }));
    return tip;
}

}  // namespace

TEST_CASE("resting the mouse on an entry of the running program shows its full path")
{
    TipsProgram program;
    HWND processes = program.Processes();
    const int own = RemoteFindEntry(processes, testing::ProgramFileName());
    const CRect row = RemoteRowOnScreen(processes, own);
    const CPoint onOwn = Center(row);

    // Onto the entry: a topmost tip over the row, as wide as the full path needs.
    HWND tipWnd = RestOn(program, processes, own);
    CRect placed = WindowRect(tipWnd);
    CHECK(placed.left == row.left);
    CHECK(placed.top == row.top);
    CHECK(placed.bottom == row.bottom);
    CHECK(placed.right == row.left + TextWidth(program.Exe()) + 4);
    CHECK(placed.right > row.right);  // the path is wider than the list
    CHECK((::GetWindowLongA(tipWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    CHECK(::GetForegroundWindow() == program.Dialog());

    // To another entry the tip follows; out of the list, over the part of the tip outside it,
    // it goes.
    const CRect first = RemoteRowOnScreen(processes, own == 0 ? 1 : 0);
    PointerTo(CPoint(first.left + 5, first.top + 3));
    CHECK(WaitFor([&] { return WindowRect(tipWnd).top == first.top; }));
    CHECK(::IsWindowVisible(tipWnd));
    PointerTo(onOwn);
    REQUIRE(WaitFor([&] { return WindowRect(tipWnd).top == row.top; }));
    const CRect list = WindowRect(processes);
    PointerTo(CPoint(list.right + 3, onOwn.y));
    CHECK(WaitFor([&] { return !::IsWindowVisible(tipWnd); }));

    // A click hides it; the next move brings it back.
    PointerTo(onOwn);
    REQUIRE(WaitFor([&] { return ::IsWindowVisible(tipWnd) != FALSE; }));
    ClickAt(onOwn);
    CHECK(WaitFor([&] { return !::IsWindowVisible(tipWnd); }));
    CHECK(WaitFor([&] { return ::SendMessageW(processes, LB_GETCURSEL, 0, 0) == own; }));
    PointerTo(CPoint(onOwn.x + 4, onOwn.y));
    CHECK(WaitFor([&] { return ::IsWindowVisible(tipWnd) != FALSE; }, kTipWait));
    PointerTo(CPoint(list.right + 3, onOwn.y));
    CHECK(WaitFor([&] { return !::IsWindowVisible(tipWnd); }));

    // While another application is active, no tip: the move and the wait that showed it above
    // show none now.
    CWnd other;
    const CPoint away = TipsProgram::Away();
    REQUIRE(other.CreateEx(0, "STATIC", "other application", WS_POPUP | WS_VISIBLE, away.x, away.y, 20, 10,
                           nullptr, nullptr));
    ::SetForegroundWindow(other.m_hWnd);
    REQUIRE(WaitFor([&] { return ::GetForegroundWindow() == other.m_hWnd; }));
    PointerTo(CPoint(onOwn.x - 4, onOwn.y));
    CHECK_FALSE(WaitFor([&] { return ::IsWindowVisible(tipWnd) != FALSE; }, kTipWait));
    other.DestroyWindow();

    // The program closes cleanly with its tip window.
    ::PostMessageA(program.Dialog(), WM_CLOSE, 0, 0);
    CHECK(program.WaitForExit(10000) == 0);
}

TEST_CASE("a tip goes within a fraction of a second once the pointer leaves the program in one quick motion")
{
    TipsProgram program;
    HWND processes = program.Processes();
    const int own = RemoteFindEntry(processes, testing::ProgramFileName());
    // The program hears of no move on the way: only its own look at the pointer can see it go.
    CWnd other;
    const CPoint away = TipsProgram::Away();
    REQUIRE(other.CreateEx(0, "STATIC", "other application", WS_POPUP, away.x - 10, away.y - 10, 20, 20, nullptr,
                           nullptr));
    other.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    struct Flick { const char* to; CPoint at; } flicks[] = {
        {"the desktop", CPoint(away.x - 200, away.y)},
        {"another application's window", away},
    };
    // Wine keeps the pointer where the program last heard of it: a return to that very pixel
    // would bring no move, so each rest is a little further right.
    int dx = 0;
    for (const Flick& flick : flicks) {
        INFO("to " << std::string(flick.to));
        HWND tip = RestOn(program, processes, own, dx += 5);
        PointerTo(flick.at);
        CHECK(WaitFor([&] { return !::IsWindowVisible(tip); }, 1000));
    }
    other.DestroyWindow();

    // The capture taken for the tip went with it: back on the entry, the tip shows again.
    RestOn(program, processes, own);
}

namespace {

std::string OwnModulePath(const std::string& name)
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(::GetModuleHandleA(name.c_str()), path, MAX_PATH);
    return path;
}

// The entry of another process's list box under screen point `p`, -1 when none is.
int RemoteEntryAt(HWND list, CPoint p)
{
    ::ScreenToClient(list, &p);
    LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
    return HIWORD(hit) ? -1 : LOWORD(hit);
}

// Where the tip over module entry `index` lies: its row, as wide as the module's path needs.
CRect ModuleTipRect(HWND modules, int index)
{
    CRect row = RemoteRowOnScreen(modules, index);
    row.right = std::max<LONG>(row.right, row.left + TextWidth(OwnModulePath(testing::RemoteListText(modules, index))) + 4);
    return row;
}

}  // namespace

TEST_CASE("after the list scrolls under a resting pointer, no tip shows another entry's path")
{
    TipsProgram program;
    HWND processes = program.Processes(), modules = program.Modules();
    // The modules of this process, whose paths are known here, in lists so narrow that every
    // path is wider than its row and so short that they scroll.
    char exe[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const int self = RemoteFindEntry(processes, DisplayNameOf(exe).GetString());
    REQUIRE(self >= 0);
    ClickAt(Center(RemoteRowOnScreen(processes, self)));
    const std::multiset<std::string> names = testing::OwnModuleNames();
    REQUIRE(WaitFor([&] {
        std::vector<std::string> shown = testing::RemoteListTexts(modules);
        return std::multiset<std::string>(shown.begin(), shown.end()) == names;
    }));
    ::SetWindowPos(program.Dialog(), nullptr, 0, 0, 280, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    REQUIRE(WaitFor([&] { return WindowRect(modules).Width() < 130; }));
    const int count = static_cast<int>(::SendMessageW(modules, LB_GETCOUNT, 0, 0));
    CRect client;
    ::GetClientRect(modules, &client);
    const int rowHeight = RemoteRowOnScreen(modules, 0).bottom - RemoteRowOnScreen(modules, 0).top;
    const int visibleRows = client.Height() / rowHeight;
    REQUIRE(visibleRows >= 2);
    REQUIRE(count >= visibleRows + 6);

    // Rests the pointer on a visible row whose entry's path differs in width from that of the
    // entry `shift` rows further down, which the scroll brings under the pointer; returns where.
    auto restAbove = [&](int shift) {
        const int top = static_cast<int>(::SendMessageW(modules, LB_GETTOPINDEX, 0, 0));
        int index = top;
        while (index + 1 < top + visibleRows &&
               ModuleTipRect(modules, index).Width() == ModuleTipRect(modules, index + shift).Width())
            ++index;
        HWND tip = RestOn(program, modules, index);
        REQUIRE(WaitFor([&] { return WindowRect(tip) == ModuleTipRect(modules, index); }));
        return Center(RemoteRowOnScreen(modules, index));
    };
    // Hidden, or over the entry now under the pointer and as wide as that entry's path needs.
    auto noStaleTip = [&](CPoint at) {
        HWND tip = program.VisibleTip();
        if (!tip)
            return true;
        int under = RemoteEntryAt(modules, at);
        return under >= 0 && WindowRect(tip) == ModuleTipRect(modules, under);
    };
    struct Scroll { const char* what; std::string xdo; int shift; } scrolls[] = {
        {"one notch of the wheel down", "click 5", 3},
        {"one notch of the wheel up", "click 4", -3},
        {"the End key", "key End", count - visibleRows},
    };
    for (const Scroll& scroll : scrolls) {
        INFO(std::string(scroll.what));
        // The keys go to the list with the focus: a click gives it to the module list.
        const CRect topRow = RemoteRowOnScreen(modules, static_cast<int>(::SendMessageW(modules, LB_GETTOPINDEX, 0, 0)));
        ClickAt(CPoint(topRow.left + 3, topRow.top + 3));
        const CPoint at = restAbove(scroll.shift);
        const LRESULT top = ::SendMessageW(modules, LB_GETTOPINDEX, 0, 0);
        testing::Xdo(scroll.xdo);
        // The program answers only once it has handled the scroll: by then the tip must be right.
        REQUIRE(WaitFor([&] { return ::SendMessageW(modules, LB_GETTOPINDEX, 0, 0) != top; }));
        CHECK(noStaleTip(at));
    }
}
