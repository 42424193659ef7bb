#include "support/FileDialogSupport.h"

namespace testing {

namespace {

HWND ChildOf(HWND parent, int id, const char* className)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (::GetDlgCtrlID(child) == id && lstrcmpiA(name, className) == 0)
            return child;
    }
    return nullptr;
}

}  // namespace

HWND HookChild(HWND fileDialog)
{
    return ChildOf(fileDialog, 0, "#32770");
}

HWND OkButton(HWND fileDialog)
{
    return ChildOf(fileDialog, IDOK, "Button");
}

void PostCommand(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::string FreshFolder()
{
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quendrix-dialog." + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace testing
