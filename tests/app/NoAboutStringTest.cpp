// Without the About entry's text the main dialog leaves its system menu as the system made it.
#include <doctest/doctest.h>

#include "app/ViewerDlg.h"
#include "support/TestSupport.h"

TEST_CASE("an empty string 101 adds neither the separator nor the About entry")
{
    CString text;
    CHECK_FALSE(text.LoadString(IDS_ABOUTBOX));

    CViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        HMENU menu = ::GetSystemMenu(dialog.m_hWnd, FALSE);
        REQUIRE(menu != nullptr);
        const int count = ::GetMenuItemCount(menu);
        CHECK(::GetMenuState(menu, IDM_ABOUTBOX, MF_BYCOMMAND) == static_cast<UINT>(-1));
        CHECK(::GetMenuState(menu, count - 1, MF_BYPOSITION) != MF_SEPARATOR);
        // The system's own menu has just as many items.
        ::GetSystemMenu(dialog.m_hWnd, TRUE);
        CHECK(::GetMenuItemCount(::GetSystemMenu(dialog.m_hWnd, FALSE)) == count);
    });
}
