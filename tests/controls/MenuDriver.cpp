#include "MenuDriver.h"

#include "support/TestSupport.h"

namespace {

MenuDriver* g_driver;
const int kGiveUpTicks = 400;  // 8 seconds

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_driver)
        g_driver->Step();
}

BOOL CALLBACK Collect(HWND hWnd, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsVisibleOfClass(HWND hWnd, const char* className)
{
    char name[64] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    return ::lstrcmpiA(name, className) == 0 && ::IsWindowVisible(hWnd);
}

// Chooses `id` with the arrow keys and Enter as a user would; the menu's loop reads the keys
// from the thread's queue. The steps count from the entry that is highlighted already, if any
// (the menu opened under the pointer, say); the arrows wrap around. Escape when there is no
// such entry.
void Press(HWND menuWindow, HMENU menu, const std::vector<MenuItem>& items, UINT id)
{
    int target = -1, highlighted = -1, entries = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].separator)
            continue;
        if (id != 0 && items[i].id == id && target < 0)
            target = entries;
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
            highlighted = entries;
        ++entries;
    }
    if (target < 0) {
        ::PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
    }
    int steps = (target - highlighted + entries) % entries;
    if (highlighted < 0)
        steps = target + 1;
    for (int i = 0; i < steps; ++i)
        ::PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(menuWindow, WM_CHAR, '\r', 0);
}

}  // namespace

MenuDriver::MenuDriver(std::function<UINT(const std::vector<MenuItem>&)> choose, int button)
    : m_choose(std::move(choose)), m_button(button)
{
    // The pointer rests in the screen's corner, off every menu: a menu that opens under it
    // highlights the entry it hovers, as the pointer an earlier test left there would.
    ::SetCursorPos(0, 0);
    for (HWND hWnd : ThreadWindows())
        m_existing.insert(hWnd);
    g_driver = this;
    m_timer = ::SetTimer(nullptr, 0, 20, &Tick);
}

MenuDriver::~MenuDriver()
{
    ::KillTimer(nullptr, m_timer);
    g_driver = nullptr;
}

void MenuDriver::Step()
{
    if (++m_ticks > kGiveUpTicks) {
        // Whatever is still open was not expected: close it, so that the test fails instead of
        // hanging.
        ::EndMenu();
        for (HWND hWnd : ThreadWindows())
            if (!m_existing.count(hWnd) && IsVisibleOfClass(hWnd, "#32770"))
                ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
        return;
    }
    for (HWND hWnd : ThreadWindows()) {
        if (m_existing.count(hWnd) || m_handled.count(hWnd))
            continue;
        if (IsVisibleOfClass(hWnd, "#32768") && !menuShown) {
            m_handled.insert(hWnd);
            menuShown = true;
            RECT rect{};
            ::GetWindowRect(hWnd, &rect);
            menuAt = POINT{rect.left, rect.top};
            HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(hWnd, MN_GETHMENU, 0, 0));
            items = testing::MenuItems(menu);
            Press(hWnd, menu, items, m_choose(items));
            return;
        }
        if (IsVisibleOfClass(hWnd, "#32770")) {
            m_handled.insert(hWnd);
            dialogs.push_back(testing::MessageBoxText(hWnd));
            ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
            return;
        }
    }
}

UINT FindItem(const std::vector<MenuItem>& items, const char* text)
{
    for (const MenuItem& item : items) {
        std::string plain;
        for (char c : item.text)
            if (c != '&')
                plain += c;
        if (!item.separator && ::lstrcmpiA(plain.c_str(), text) == 0)
            return item.id;
    }
    return 0;
}

std::function<UINT(const std::vector<MenuItem>&)> Choose(const char* text, UINT* chosen)
{
    return [text, chosen](const std::vector<MenuItem>& items) {
        UINT id = text ? FindItem(items, text) : 0;
        if (chosen)
            *chosen = id;
        return id;
    };
}
