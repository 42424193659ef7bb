#include "FileDialog.h"

#include "Guard.h"
#include "SystemLibrary.h"

// Bound at the first dialog, from the system directory. Importing comdlg32.dll would load it,
// and the libraries it needs, at start-up, and they would load further system libraries by
// name before the program could load those from the system directory itself.
using PfnGetFileNameA = BOOL(WINAPI*)(LPOPENFILENAMEA ofn);
PfnGetFileNameA pfnGetOpenFileNameA;
PfnGetFileNameA pfnGetSaveFileNameA;

namespace {

bool BindFileDialogs()
{
    return BindFromSystemLibrary("comdlg32.dll", EntryPoint{"GetOpenFileNameA", pfnGetOpenFileNameA},
                                 EntryPoint{"GetSaveFileNameA", pfnGetSaveFileNameA});
}

// The system calls the hook with WM_INITDIALOG before the dialog is initialised; from then on
// the hook child's messages reach the object through the framework's window procedure, and
// this hook only leaves every message to the system's default processing.
UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // Unbound, the dialog still runs as the system's plain one.
        return AfxGuardCallback<UINT_PTR>(TRUE, [&] {
            const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
            auto* dialog = reinterpret_cast<CFileDialog*>(ofn->lCustData);
            if (dialog)
                dialog->SubclassWindow(hook);
            return UINT_PTR(TRUE);
        });
    }
    return 0;
}

}  // namespace

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

BEGIN_MESSAGE_MAP(CFileDialog, CDialog)
    ON_NOTIFY(CDN_INITDONE, 0, HandleInitDone)
END_MESSAGE_MAP()

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName,
                         DWORD flags, CWnd* parent)
    : CDialog(0, parent), m_bOpenFileDialog(openFileDialog), m_strDefExt(defaultExtension),
      m_dwFlags(flags), m_szFileName{}
{
    if (fileName)
        ::lstrcpynA(m_szFileName, fileName, MAX_PATH);
}

INT_PTR CFileDialog::DoModal()
{
    // Without the system's dialogs no file can be chosen.
    if (!BindFileDialogs())
        return IDCANCEL;
    OPENFILENAMEA ofn{};
    // The record as the Windows 95 family knows it, so that the dialog opens there too.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = FindOwner();
    ofn.lpstrFile = m_szFileName;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : m_strDefExt.GetString();
    ofn.Flags = m_dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = &FileDialogHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    BOOL confirmed = m_bOpenFileDialog ? pfnGetOpenFileNameA(&ofn) : pfnGetSaveFileNameA(&ofn);
    return confirmed ? IDOK : IDCANCEL;
}

void CFileDialog::HideControl(int id)
{
    ::SendMessageA(::GetParent(m_hWnd), CDM_HIDECONTROL, id, 0);
}

void CFileDialog::SetControlText(int id, const char* text)
{
    ::SendMessageA(::GetParent(m_hWnd), CDM_SETCONTROLTEXT, id, reinterpret_cast<LPARAM>(text));
}
