#include "app/FolderDialog.h"

#include <cstdlib>
#include <dlgs.h>

#include "framework/Guard.h"

WNDPROC g_pfnPrevFolderDlgProc;

namespace {

// A control of the dialog window by id and class: besides the OK button, a toolbar of some
// systems' file dialogs carries the id 1 too.
HWND FindControl(HWND dialog, int id, const char* className)
{
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (::GetDlgCtrlID(child) == id && lstrcmpiA(name, className) == 0)
            return child;
    }
    return nullptr;
}

// A control's rectangle in the client coordinates of its dialog window.
RECT ClientRectOf(HWND dialog, HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

FolderDialogLayout ComputeFolderDialogLayout(const RECT& cancel, const RECT& ok, const RECT& list)
{
    FolderDialogLayout layout;
    layout.okPosition = {cancel.left - (ok.right - ok.left) - 4, cancel.top};
    layout.listSize = {list.right - list.left, std::abs(list.top - cancel.top + 4)};
    return layout;
}

IMPLEMENT_DYNAMIC(CFolderDialog, CFileDialog)

BEGIN_MESSAGE_MAP(CFolderDialog, CFileDialog)
END_MESSAGE_MAP()

CFolderDialog::CFolderDialog(CString* pstrFolder)
    : CFileDialog(TRUE, nullptr, "*..*", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), m_pstrFolder(pstrFolder)
{
}

void CFolderDialog::OnInitDone()
{
    HideControl(edt1);
    HideControl(stc2);
    HideControl(cmb1);
    HideControl(stc3);
    HWND parent = ::GetParent(m_hWnd);
    // Later file dialogs have a combo box for the file name instead of edt1.
    if (::GetDlgItem(parent, cmb13))
        HideControl(cmb13);

    HWND cancelButton = FindControl(parent, IDCANCEL, "Button");
    HWND okButton = FindControl(parent, IDOK, "Button");
    HWND list = ::GetDlgItem(parent, lst1);
    if (cancelButton && okButton) {
        RECT cancel = ClientRectOf(parent, cancelButton);
        RECT ok = ClientRectOf(parent, okButton);
        RECT listRect = list ? ClientRectOf(parent, list) : RECT{};
        FolderDialogLayout layout = ComputeFolderDialogLayout(cancel, ok, listRect);
        ::SetWindowPos(okButton, nullptr, layout.okPosition.x, layout.okPosition.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
        if (list)
            ::SetWindowPos(list, nullptr, 0, 0, layout.listSize.cx, layout.listSize.cy,
                           SWP_NOMOVE | SWP_NOZORDER);
    }
    // On the button moved above: the first child with its id may be the toolbar.
    if (okButton)
        ::SetWindowTextA(okButton, "Select");
    else
        SetControlText(IDOK, "Select");
    ::SetWindowTextA(parent, "Choose folder");
    g_pfnPrevFolderDlgProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FolderDlgWndProc)));
}

namespace {

// Select ends the dialog with the folder it shows; every other message goes to the dialog's own
// procedure.
LRESULT HandleFolderDlgMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK &&
        CWnd::FromHandle(hwnd)) {
        char folder[MAX_PATH];
        DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
        if (length == 0 || length >= MAX_PATH) {
            // No folder to hand over: the dialog stays open rather than end on a stale one.
            ::MessageBeep(MB_OK);
            return 0;
        }
        CWnd* hook = CWnd::FromHandlePermanent(::GetDlgItem(hwnd, 0));
        if (hook && hook->IsKindOf(RUNTIME_CLASS(CFolderDialog)))
            *static_cast<CFolderDialog*>(hook)->m_pstrFolder = folder;
        // The system's own loop runs this dialog: ending it there makes DoModal return IDOK.
        ::EndDialog(hwnd, IDOK);
        return 0;
    }
    return ::CallWindowProcA(g_pfnPrevFolderDlgProc, hwnd, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK FolderDlgWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A Select that fails leaves the dialog open and the caller's folder as it was.
    return AfxGuardCallback<LRESULT>(0, [&] { return HandleFolderDlgMessage(hwnd, message, wParam, lParam); });
}
