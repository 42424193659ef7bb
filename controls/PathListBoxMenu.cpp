// The shell's own context menu for the file of a list entry, opened on a right-button release.
#include "controls/PathListBoxMenu.h"

#include "controls/PathListBox.h"
#include "framework/SystemLibrary.h"
#include "paths/DisplayName.h"

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
    return BindFromSystemLibrary("shell32.dll", EntryPoint{"SHGetMalloc", pfnSHGetMalloc},
                                 EntryPoint{"SHGetDesktopFolder", pfnSHGetDesktopFolder});
}

// One reference to a shell interface, released when the owner goes or at Reset, whichever
// comes first.
template <class Interface> class ComRef {
public:
    explicit ComRef(Interface* adopted = nullptr) : m_p(adopted) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* Get() const { return m_p; }
    Interface* operator->() const { return m_p; }
    // Takes over a reference obtained after the owner was declared.
    void Adopt(Interface* obtained)
    {
        Reset();
        m_p = obtained;
    }
    void Reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }

private:
    Interface* m_p;
};

// An item identifier list that the shell allocated, freed through the task allocator when the
// owner goes.
class ItemIdList {
public:
    ItemIdList(IMalloc* malloc, LPITEMIDLIST idl) : m_malloc(malloc), m_idl(idl) {}
    ~ItemIdList()
    {
        if (m_idl)
            m_malloc->Free(m_idl);
    }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;

    LPITEMIDLIST Get() const { return m_idl; }

private:
    IMalloc* m_malloc;
    LPITEMIDLIST m_idl;
};

// An empty popup menu, destroyed when the owner goes; null when it could not be created.
class PopupMenu {
public:
    PopupMenu() : m_menu(::CreatePopupMenu()) {}
    ~PopupMenu()
    {
        if (m_menu)
            ::DestroyMenu(m_menu);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    HMENU Get() const { return m_menu; }

private:
    HMENU m_menu;
};

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
    IMalloc* allocator = nullptr;
    if (!BindShell() || FAILED(pfnSHGetMalloc(&allocator)))
        return true;
    ComRef<IMalloc> malloc(allocator);
    bool walked = true;
    IShellFolder* desktop = nullptr;
    if (SUCCEEDED(pfnSHGetDesktopFolder(&desktop))) {
        ClientToScreen(&point);
        walked = ShowShellMenu(malloc.Get(), desktop, path, point);
    }
    return walked;
}

bool CPathListBox::ShowShellMenu(IMalloc* malloc, IShellFolder* desktop, const char* path,
                                 POINT screenPoint)
{
    // Declared in the reverse of the order of release: the folder's list goes before the desktop,
    // the item's list before the folder.
    ComRef<IShellFolder> desktopRef(desktop);
    ComRef<IShellFolder> folder;
    HWND owner = ::GetParent(m_hWnd);
    int folderLength = FolderLength(path);
    // A path without a folder, such as "unknown", or without a file name names no file: the
    // shell is not asked what it would make of an empty name.
    if (folderLength > 0 && path[folderLength] != '\0') {
        char folderText[MAX_PATH];
        ::lstrcpynA(folderText, path, folderLength + 1);
        ItemIdList folderIdl(malloc, ParseName(desktopRef.Get(), owner, folderText));
        IShellFolder* bound = nullptr;
        if (folderIdl.Get() &&
            SUCCEEDED(desktopRef->BindToObject(folderIdl.Get(), nullptr, IID_IShellFolder,
                                               reinterpret_cast<void**>(&bound))))
            folder.Adopt(bound);
    }
    desktopRef.Reset();
    if (!folder.Get())
        return false;

    ItemIdList item(malloc, ParseName(folder.Get(), owner, path + folderLength));
    if (!item.Get())
        return false;
    ShowContextMenu(m_hWnd, folder.Get(), item.Get(), &screenPoint);
    return true;
}

void CPathListBox::ShowContextMenu(HWND hwndOwner, IShellFolder* folder, LPITEMIDLIST item,
                                   POINT* screenPoint)
{
    IContextMenu* obtained = nullptr;
    LPCITEMIDLIST items[] = {item};
    HRESULT hr = folder->GetUIObjectOf(hwndOwner, 1, items, IID_IContextMenu, nullptr,
                                       reinterpret_cast<void**>(&obtained));
    if (FAILED(hr)) {
        ReportShellFailure("GetUIObjectOf failed! hr = %lx", hr);
        return;
    }
    // The menu is destroyed before the context menu is released.
    ComRef<IContextMenu> menu(obtained);
    PopupMenu popup;
    if (!popup.Get() || FAILED(menu->QueryContextMenu(popup.Get(), 0, ID_SHELL_FIRST, ID_SHELL_LAST, CMF_EXPLORE)))
        return;
    ::AppendMenuA(popup.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(popup.Get(), MF_STRING, ID_MODULE_INFO, "Modulinformationen");
    // TPM_RETURNCMD: the chosen id comes back here instead of as a command message.
    UINT id = static_cast<UINT>(::TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint->x,
                                                 screenPoint->y, 0, hwndOwner, nullptr));
    CarryOut(menu.Get(), hwndOwner, id);
}

void CPathListBox::OnMenuSelect(UINT, UINT, HMENU)
{
    Default();
}
