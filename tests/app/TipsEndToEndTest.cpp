// The title tips of the running program, driven by the real cursor and real clicks: the program
// is started from a folder with a long name, so that the tip over its own process entry is
// wider than the list.
#include <doctest/doctest.h>

#include <functional>
#include <string>

#include "framework/Wnd.h"
#include "support/TestSupport.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        ::Sleep(20);
    }
    return done();
}

struct Search {
    DWORD pid;
    std::string classPrefix;
    HWND found;
};

BOOL CALLBACK MatchVisible(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    char name[80] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    if (pid == search->pid && ::IsWindowVisible(hWnd) && std::string(name).rfind(search->classPrefix, 0) == 0) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process whose class name begins with the prefix.
HWND FindVisible(DWORD pid, const std::string& classPrefix)
{
    Search search{pid, classPrefix, nullptr};
    ::EnumWindows(&MatchVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string LongFolder()
{
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "Quendrix tips seen end to end, from a folder with a long name\\";
}

// The entry of a list in another process that shows `text` (wide messages cross processes whole).
int FindEntry(HWND list, const std::string& name)
{
    const std::wstring text(name.begin(), name.end());  // an ASCII file name
    int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t entry[MAX_PATH] = L"";
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
        if (text == entry)
            return i;
    }
    return -1;
}

CRect RowOnScreen(HWND list, int index)
{
    CRect row;
    ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(static_cast<RECT*>(&row)));
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
    return row;
}

// Starts xdotool on the display: the program hears of its pointer moves and clicks as of a
// real mouse's, from the display. Wine hands out no handle to wait on for a program of the host,
// so callers wait for what it does. False when it cannot be started.
bool Xdo(const std::string& arguments)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "/usr/bin/xdotool " + arguments;
    return ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

std::string At(CPoint p)
{
    return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y);
}

bool CursorAt(CPoint p)
{
    CPoint cursor;
    return ::GetCursorPos(&cursor) && cursor == p;
}

// Moves the real pointer and waits until it is there, so that no later move overtakes it.
bool MoveCursor(CPoint p)
{
    return Xdo(At(p)) && WaitFor([&] { return CursorAt(p); });
}

void Click(CPoint p)
{
    REQUIRE(MoveCursor(p));
    REQUIRE(Xdo("click 1"));
}

// The width of `text` in the dialog's font, "MS Sans Serif" 8 point.
int TextWidth(const std::string& text)
{
    HDC dc = ::GetDC(nullptr);
    HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ previous = ::SelectObject(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, dc);
    return extent.cx;
}

}  // namespace

TEST_CASE("resting the mouse on an entry of the running program shows its full path")
{
    const std::string folder = LongFolder();
    const std::string exe = folder + testing::ProgramFileName();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    REQUIRE(::CopyFileA(testing::ProgramPath().c_str(), exe.c_str(), FALSE));
    const CPoint away(1000, 750);  // off the program's window
    // script/test provides the display and xdotool: without them there is nothing to test.
    REQUIRE_MESSAGE(MoveCursor(away), "xdotool cannot move the pointer on the display");

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\"";
    REQUIRE(::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ::WaitForInputIdle(pi.hProcess, 10000);
    HWND dialog = nullptr;
    REQUIRE(WaitFor([&] { return (dialog = FindVisible(pi.dwProcessId, "#32770")) != nullptr; }, 10000));
    HWND processes = ::GetDlgItem(dialog, 1000);
    int own = -1;
    REQUIRE(WaitFor([&] { return (own = FindEntry(processes, testing::ProgramFileName())) >= 0; }));
    const CRect row = RowOnScreen(processes, own);
    const CPoint onOwn((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    auto tip = [&] { return FindVisible(pi.dwProcessId, "FwWnd:"); };

    // Onto the entry: a topmost tip over the row, as wide as the full path needs.
    REQUIRE(MoveCursor(onOwn));
    REQUIRE(WaitFor([&] { return tip() != nullptr; }));
    HWND tipWnd = tip();
    CRect placed;
    ::GetWindowRect(tipWnd, &placed);
    CHECK(placed.left == row.left);
    CHECK(placed.top == row.top);
    CHECK(placed.bottom == row.bottom);
    CHECK(placed.right == row.left + TextWidth(exe) + 4);
    CHECK(placed.right > row.right);  // the path is wider than the list
    CHECK((::GetWindowLongA(tipWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    CHECK(::GetForegroundWindow() == dialog);

    // To another entry the tip follows; out of the list, over the part of the tip outside it,
    // it goes.
    const CRect first = RowOnScreen(processes, own == 0 ? 1 : 0);
    REQUIRE(MoveCursor(CPoint(first.left + 5, first.top + 3)));
    CHECK(WaitFor([&] { CRect r; ::GetWindowRect(tipWnd, &r); return r.top == first.top; }));
    CHECK(::IsWindowVisible(tipWnd));
    REQUIRE(MoveCursor(onOwn));
    REQUIRE(WaitFor([&] { CRect r; ::GetWindowRect(tipWnd, &r); return r.top == row.top; }));
    CRect list;
    ::GetWindowRect(processes, &list);
    REQUIRE(MoveCursor(CPoint(list.right + 3, onOwn.y)));
    CHECK(WaitFor([&] { return !::IsWindowVisible(tipWnd); }));

    // A click hides it; the next move brings it back.
    REQUIRE(MoveCursor(onOwn));
    REQUIRE(WaitFor([&] { return ::IsWindowVisible(tipWnd) != FALSE; }));
    Click(onOwn);
    CHECK(WaitFor([&] { return !::IsWindowVisible(tipWnd); }));
    CHECK(WaitFor([&] { return ::SendMessageW(processes, LB_GETCURSEL, 0, 0) == own; }));
    REQUIRE(MoveCursor(CPoint(onOwn.x + 4, onOwn.y)));
    CHECK(WaitFor([&] { return ::IsWindowVisible(tipWnd) != FALSE; }));
    REQUIRE(MoveCursor(CPoint(list.right + 3, onOwn.y)));
    CHECK(WaitFor([&] { return !::IsWindowVisible(tipWnd); }));

    // While another application is active, no tip.
    CWnd other;
    REQUIRE(other.CreateEx(0, "STATIC", "other application", WS_POPUP | WS_VISIBLE, away.x, away.y, 20, 10,
                           nullptr, nullptr));
    ::SetForegroundWindow(other.m_hWnd);
    REQUIRE(WaitFor([&] { return ::GetForegroundWindow() == other.m_hWnd; }));
    REQUIRE(MoveCursor(CPoint(onOwn.x - 4, onOwn.y)));
    ::Sleep(300);
    CHECK_FALSE(::IsWindowVisible(tipWnd));
    other.DestroyWindow();

    // The program closes cleanly with its tip window.
    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    CHECK(::WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    CHECK(code == 0);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::DeleteFileA(exe.c_str());
    ::RemoveDirectoryA(folder.c_str());
}
