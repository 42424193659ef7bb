// Plays the user's part while a handler runs a popup menu and the dialogs that follow it: a
// timer, which the nested modal loops dispatch, reads the open menu, chooses an entry with the
// keyboard and closes every dialog that appears afterwards.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/TestSupport.h"

using testing::MenuItem;

class MenuDriver {
public:
    // `choose` runs while the menu is open and returns the id of the entry to choose, or 0 to
    // dismiss the menu with Escape. Each dialog that appears is closed with `button`.
    explicit MenuDriver(std::function<UINT(const std::vector<MenuItem>&)> choose, int button = IDOK);
    ~MenuDriver();
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;

    bool menuShown = false;
    std::vector<MenuItem> items;       // the menu as it was shown
    POINT menuAt{-1, -1};              // its top left corner on the screen
    std::vector<std::string> dialogs;  // the texts of the dialogs closed, in order

    void Step();

private:
    std::function<UINT(const std::vector<MenuItem>&)> m_choose;
    int m_button;
    std::set<HWND> m_existing;  // the windows that were there before
    std::set<HWND> m_handled;
    UINT_PTR m_timer;
    int m_ticks = 0;
};

// The id of the entry whose text without '&' is `text` (any case), or 0.
UINT FindItem(const std::vector<MenuItem>& items, const char* text);

// What a user picks: the entry with this text, or Escape for null. The id chosen is stored in
// `chosen` when given.
std::function<UINT(const std::vector<MenuItem>&)> Choose(const char* text, UINT* chosen = nullptr);
