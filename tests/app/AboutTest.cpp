// The About entry of the main dialog's system menu and the About box it opens, on the real
// dialog run as the application's main window.
#include <doctest/doctest.h>

#include <string>

#include "app/ViewerDlg.h"
#include "framework/WinApp.h"
#include "support/TestSupport.h"

namespace {

CWinApp g_app;

// What the About box showed while it was open; it is closed with its OK button.
struct AboutSeen {
    bool opened = false;
    bool ownedByMain = false;
    bool mainEnabled = true;
    std::string caption;
    std::string texts;  // the static texts, each followed by '|'
    std::string okText;
    bool hasIcon = false;
};

HWND g_mainDialog;
AboutSeen g_seen;

// Runs inside the About box's modal loop.
void CALLBACK InspectAbout(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND about = ::GetActiveWindow();
    if (!about || about == g_mainDialog)
        return;  // not up yet
    ::KillTimer(nullptr, timer);
    g_seen.opened = true;
    g_seen.ownedByMain = testing::FindOwnedWindow(g_mainDialog, "#32770") == about;
    g_seen.mainEnabled = ::IsWindowEnabled(g_mainDialog) != FALSE;
    g_seen.caption = testing::WindowText(about);
    // The static texts in order; the icon's control carries the icon's resource id as its text.
    for (HWND child = ::GetWindow(about, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") != 0)
            continue;
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            g_seen.hasIcon = ::SendMessageA(child, STM_GETICON, 0, 0) != 0;
        else
            g_seen.texts += testing::WindowText(child) + "|";
    }
    g_seen.okText = testing::WindowText(::GetDlgItem(about, IDOK));
    testing::ClickButton(about, IDOK);
}

// Sends the system command to the main dialog and reports what the About box showed, if one
// opened before the command returned or while the messages that it left were handled.
AboutSeen SendSystemCommand(HWND dialog, UINT id)
{
    g_mainDialog = dialog;
    g_seen = AboutSeen();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &InspectAbout);
    ::SendMessageA(dialog, WM_SYSCOMMAND, id, 0);
    testing::Pump();
    ::KillTimer(nullptr, timer);
    return g_seen;
}

}  // namespace

TEST_CASE("the system menu ends with a separator and the About entry")
{
    CViewerDlg dialog;
    testing::RunAsMainWindow(dialog, [&] {
        HMENU menu = ::GetSystemMenu(dialog.m_hWnd, FALSE);
        REQUIRE(menu != nullptr);
        const std::vector<testing::MenuItem> items = testing::MenuItems(menu);
        const int count = static_cast<int>(items.size());
        REQUIRE(count >= 2);
        CHECK(items[count - 2].type == MFT_SEPARATOR);
        const testing::MenuItem& about = items[count - 1];
        CHECK(about.type == MFT_STRING);
        CHECK(about.id == IDM_ABOUTBOX);
        CHECK(about.text == "&About Quendrix...");

        // Nothing else was added: the system's own menu has two items less.
        ::GetSystemMenu(dialog.m_hWnd, TRUE);
        CHECK(::GetMenuItemCount(::GetSystemMenu(dialog.m_hWnd, FALSE)) == count - 2);
    });
}

TEST_CASE("system commands 16 to 31 open the About box; all others work as usual")
{
    CViewerDlg dialog;
    INT_PTR result = testing::RunAsMainWindow(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        for (UINT id : {0x10u, 0x11u, 0x1Fu}) {
            CAPTURE(id);
            const AboutSeen seen = SendSystemCommand(dlg, id);
            REQUIRE(seen.opened);
            CHECK(seen.ownedByMain);
            CHECK_FALSE(seen.mainEnabled);
            CHECK(seen.caption == "About Quendrix");
            CHECK(seen.texts == "Quendrix Version 2.0|Quendrix Team|quendrix.example|");
            CHECK(seen.okText == "OK");
            CHECK(seen.hasIcon);
            // Closed again, the main dialog takes input as before.
            CHECK(::IsWindowEnabled(dlg));
            CHECK(testing::FindOwnedWindow(dlg, "#32770") == nullptr);
        }

        // Neighbouring ids are not the About command.
        for (UINT id : {0x0Fu, 0x20u, 0x21u}) {
            CAPTURE(id);
            CHECK_FALSE(SendSystemCommand(dlg, id).opened);
            CHECK(testing::FindOwnedWindow(dlg, "#32770") == nullptr);
        }

        // The system's own commands reach the system.
        CHECK_FALSE(SendSystemCommand(dlg, SC_MINIMIZE).opened);
        CHECK(::IsIconic(dlg));
        SendSystemCommand(dlg, SC_RESTORE);
        CHECK_FALSE(::IsIconic(dlg));
        SendSystemCommand(dlg, SC_MAXIMIZE);
        CHECK(::IsZoomed(dlg));
        SendSystemCommand(dlg, SC_RESTORE);
        CHECK_FALSE(::IsZoomed(dlg));
        SendSystemCommand(dlg, SC_CLOSE);
        testing::Pump();  // the dialog manager posts the cancel command
        CHECK_FALSE(dialog.ContinueModal());
    });
    CHECK(result == IDCANCEL);
}
