#include "support/FileDialogSupport.h"

#include <doctest/doctest.h>

#include "support/TestSupport.h"

namespace testing {

HWND HookChild(HWND fileDialog)
{
    return FindControl(fileDialog, 0, "#32770");
}

HWND OkButton(HWND fileDialog)
{
    return FindControl(fileDialog, IDOK, "Button");
}

void PostCommand(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void ForgetLastFolders()
{
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU";
    LONG result = ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
    CHECK_MESSAGE((result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND), "deleting " << key << ": " << result);
}

}  // namespace testing
