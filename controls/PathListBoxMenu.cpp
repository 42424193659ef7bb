// The shell's own context menu for the file of a list entry, opened on a right-button release.
#include "controls/PathListBoxMenu.h"

#include "controls/DisplayName.h"
#include "controls/PathListBox.h"
#include "framework/SystemLibrary.h"

// The shell reads cbSize: 36 bytes in the 32-bit program, 56 in the 64-bit one.
static_assert(sizeof(CMINVOKECOMMANDINFO) == (sizeof(void*) == 8 ? 56 : 36), "the shell's command record");

// Bound at the first right click, from the system directory: importing shell32.dll would load
// it, and the libraries it needs, at start-up, and they would load further system libraries by
// name before the program could load those from the system directory itself.
using PfnSHGetMalloc = HRESULT(WINAPI*)(IMalloc** malloc);
using PfnSHGetDesktopFolder = HRESULT(WINAPI*)(IShellFolder** folder);
PfnSHGetMalloc pfnSHGetMalloc;
PfnSHGetDesktopFolder pfnSHGetDesktopFolder;

namespace {

bool BindShell()
{
    if (!pfnSHGetMalloc || !pfnSHGetDesktopFolder) {
        HMODULE library = LoadSystemLibrary("shell32.dll");
        BindEntryPoint(library, "SHGetMalloc", pfnSHGetMalloc);
        BindEntryPoint(library, "SHGetDesktopFolder", pfnSHGetDesktopFolder);
    }
    return pfnSHGetMalloc && pfnSHGetDesktopFolder;
}

// Parses `text` as a name relative to `folder`; null when the shell does not know it.
LPITEMIDLIST ParseName(IShellFolder* folder, HWND owner, const char* text)
{
    WCHAR wide[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide, MAX_PATH) == 0)
        return nullptr;
    LPITEMIDLIST idl = nullptr;
    ULONG eaten = 0;
    if (FAILED(folder->ParseDisplayName(owner, nullptr, wide, &eaten, &idl, nullptr)))
        return nullptr;
    return idl;
}

void ReportShellFailure(const char* format, HRESULT hr)
{
    char text[64];
    ::wsprintfA(text, format, hr);
    AfxMessageBox(text, MB_OK, 0);
}

// Carries out the menu id that TrackPopupMenu returned; 0 means the menu was dismissed.
void CarryOut(IContextMenu* menu, HWND hwnd, UINT id)
{
    if (id == 0)
        return;
    if (id == ID_MODULE_INFO) {
        AfxMessageBox("Noch nicht implementiert", MB_OK, 0);
        return;
    }
    CMINVOKECOMMANDINFO info = ShellCommandInfo(hwnd, id);
    HRESULT hr = menu->InvokeCommand(&info);
    if (FAILED(hr))
        ReportShellFailure("InvokeCommand failed. hr = %lx", hr);
}

}  // namespace

CMINVOKECOMMANDINFO ShellCommandInfo(HWND hwnd, UINT commandId)
{
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = 0;
    info.hwnd = hwnd;
    // Not a verb string: the command's offset from the first id, as an integer resource value.
    info.lpVerb = MAKEINTRESOURCEA(LOWORD(commandId - ID_SHELL_FIRST));
    info.lpParameters = nullptr;
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOWNORMAL;
    info.dwHotKey = 0;
    info.hIcon = nullptr;
    return info;
}

void CPathListBox::OnRButtonUp(UINT, CPoint point)
{
    BOOL outside = TRUE;
    int index = static_cast<int>(ItemFromPoint(point, outside));
    if (!outside && !OpenEntryMenu(index, point))
        return;
    Default();
}

bool CPathListBox::OpenEntryMenu(int index, CPoint point)
{
    // LB_SETCURSEL notifies nobody: a list that notifies its parent tells it as a user's
    // selection would, so that what follows the selection does before the menu opens.
    if (GetCurSel() != index) {
        SetCurSel(index);
        if (GetStyle() & LBS_NOTIFY)
            ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), LBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(m_hWnd));
    }
    char path[MAX_PATH] = "";
    // An entry without a path names no file: like a file the shell does not know.
    if (GetItemPath(GetCurSel(), path) < 0)
        return false;
    // Every identifier list is freed through this allocator: without it, nothing is parsed.
    IMalloc* malloc = nullptr;
    if (!BindShell() || FAILED(pfnSHGetMalloc(&malloc)))
        return true;
    bool walked = true;
    IShellFolder* desktop = nullptr;
    if (SUCCEEDED(pfnSHGetDesktopFolder(&desktop))) {
        ClientToScreen(&point);
        walked = ShowShellMenu(malloc, desktop, path, point);
    }
    malloc->Release();
    return walked;
}

bool CPathListBox::ShowShellMenu(IMalloc* malloc, IShellFolder* desktop, const char* path,
                                 POINT screenPoint)
{
    HWND owner = ::GetParent(m_hWnd);
    int folderLength = FolderLength(path);
    IShellFolder* folder = nullptr;
    // A path without a folder, such as "unknown", or without a file name names no file: the
    // shell is not asked what it would make of an empty name.
    if (folderLength > 0 && path[folderLength] != '\0') {
        char folderText[MAX_PATH];
        ::lstrcpynA(folderText, path, folderLength + 1);
        if (LPITEMIDLIST folderIdl = ParseName(desktop, owner, folderText)) {
            void** out = reinterpret_cast<void**>(&folder);
            if (FAILED(desktop->BindToObject(folderIdl, nullptr, IID_IShellFolder, out)))
                folder = nullptr;
            malloc->Free(folderIdl);
        }
    }
    desktop->Release();
    if (!folder)
        return false;

    LPITEMIDLIST item = ParseName(folder, owner, path + folderLength);
    bool parsed = item != nullptr;
    if (parsed) {
        ShowContextMenu(m_hWnd, folder, item, &screenPoint);
        malloc->Free(item);
    }
    folder->Release();
    return parsed;
}

void CPathListBox::ShowContextMenu(HWND hwndOwner, IShellFolder* folder, LPITEMIDLIST item,
                                   POINT* screenPoint)
{
    IContextMenu* menu = nullptr;
    LPCITEMIDLIST items[] = {item};
    HRESULT hr = folder->GetUIObjectOf(hwndOwner, 1, items, IID_IContextMenu, nullptr,
                                       reinterpret_cast<void**>(&menu));
    if (FAILED(hr)) {
        ReportShellFailure("GetUIObjectOf failed! hr = %lx", hr);
        return;
    }
    HMENU popup = ::CreatePopupMenu();
    if (popup && SUCCEEDED(menu->QueryContextMenu(popup, 0, ID_SHELL_FIRST, ID_SHELL_LAST, CMF_EXPLORE))) {
        ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(popup, MF_STRING, ID_MODULE_INFO, "Modulinformationen");
        // TPM_RETURNCMD: the chosen id comes back here instead of as a command message.
        UINT id = static_cast<UINT>(::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint->x,
                                                     screenPoint->y, 0, hwndOwner, nullptr));
        CarryOut(menu, hwndOwner, id);
    }
    if (popup)
        ::DestroyMenu(popup);
    menu->Release();
}

void CPathListBox::OnMenuSelect(UINT, UINT, HMENU)
{
    Default();
}
