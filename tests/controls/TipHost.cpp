#include "TipHost.h"

#include <doctest/doctest.h>

#include "framework/WinApp.h"
#include "support/TestSupport.h"

namespace testing {

namespace {

HHOOK g_mouseHook;
POINT g_lastDisplayMove{-1, -1};

// Notes where the display last reported the pointer; posted moves of the test pass no hook.
LRESULT CALLBACK NoteDisplayMove(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && wParam == WM_MOUSEMOVE)
        g_lastDisplayMove = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
    return ::CallNextHookEx(g_mouseHook, code, wParam, lParam);
}

}  // namespace

TipHost::TipHost(CPathListBox& list, DWORD listStyle, const RECT& screen)
    : m_list(list),
      m_hFont(CreateDialogFont())
{
    // The real cursor stays off the new list box until a test moves it there.
    ::SetCursorPos(0, 0);
    if (!g_mouseHook)
        g_mouseHook = ::SetWindowsHookExA(WH_MOUSE, &NoteDisplayMove, nullptr, ::GetCurrentThreadId());
    const char* hostClass = AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    REQUIRE(m_wnd.CreateEx(0, hostClass, "tip host", WS_POPUP | WS_VISIBLE, screen.left, screen.top,
                           screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr));
    HWND hWnd = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER | listStyle, 5, 5,
                                  screen.right - screen.left - 10, screen.bottom - screen.top - 10,
                                  m_wnd.m_hWnd, reinterpret_cast<HMENU>(1001), nullptr, nullptr);
    REQUIRE(hWnd != nullptr);
    m_list.SubclassWindow(hWnd);
    m_list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), TRUE);
    REQUIRE(AfxGetApp() != nullptr);
    AfxGetApp()->m_pMainWnd = &m_wnd;
    ::SetForegroundWindow(m_wnd.m_hWnd);
    ::SetActiveWindow(m_wnd.m_hWnd);
    Pump(20);
}

TipHost::~TipHost()
{
    m_list.DestroyWindow();
    m_wnd.DestroyWindow();
    AfxGetApp()->m_pMainWnd = nullptr;
    ::DeleteObject(m_hFont);
    Pump();
}

CRect TipHost::RowOnScreen(int index) const
{
    CRect row;
    m_list.GetItemRect(index, row);
    m_list.ClientToScreen(row);
    return row;
}

CPoint TipHost::OnScreen(CPoint client) const
{
    m_list.ClientToScreen(&client);
    return client;
}

void TipHost::MoveTo(CPoint client) const
{
    const CPoint screen = OnScreen(client);
    CPoint before;
    ::GetCursorPos(&before);
    g_lastDisplayMove = POINT{-1, -1};
    ::SetCursorPos(screen.x, screen.y);
    m_list.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    // The display reports a real move too, a little later: wait for its report, which would
    // otherwise arrive in the middle of what the test does next.
    if (before != screen)
        CHECK_MESSAGE(PumpUntil([&] { return CPoint(g_lastDisplayMove) == screen; }),
                      "the display never reported the move to " << screen.x << "," << screen.y);
    else
        Pump();
}

int TipHost::TextWidth(const std::string& text) const
{
    return testing::TextWidth(m_hFont, text);
}

std::string CaptureHolder(const CWnd& list)
{
    HWND capture = ::GetCapture();
    return capture == list.m_hWnd ? "list" : capture ? "other" : "none";
}

}  // namespace testing
