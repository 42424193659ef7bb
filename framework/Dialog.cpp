#include "Dialog.h"

#include "WinApp.h"
#include "framework/DialogTexts.h"

void AfxUnhookWindowCreate();

namespace {

// Every message reaches the dialog's object through its subclassed window procedure; the
// dialog procedure only lets the system's dialog manager do its default work.
INT_PTR CALLBACK NullDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, HandleOK)
    ON_COMMAND(IDCANCEL, HandleCancel)
END_MESSAGE_MAP()

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    HWND item = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (item)
        control.SubclassWindow(item);
}

HWND CDialog::FindOwner() const
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main && main != this ? main->m_hWnd : nullptr;
    }
    while (owner && (::GetWindowLongA(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    return owner && ::IsWindow(owner) ? owner : nullptr;
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC resource = ::FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5));
    HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    const void* dialogTemplate = loaded ? ::LockResource(loaded) : nullptr;
    if (!dialogTemplate)
        return -1;

    HWND owner = FindOwner();
    bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);

    m_bContinueModal = true;
    m_nModalResult = -1;
    m_pTemplate = dialogTemplate;
    m_templateSize = ::SizeofResource(instance, resource);
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamA(
        instance, static_cast<const DLGTEMPLATE*>(dialogTemplate), owner, &NullDlgProc, 0);
    AfxUnhookWindowCreate();
    m_pTemplate = nullptr;

    if (hWnd) {
        RunModalLoop();
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (owner && hWnd && ::GetActiveWindow() == hWnd)
        ::SetActiveWindow(owner);
    if (hWnd)
        ::DestroyWindow(hWnd);
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    if (m_bContinueModal && !IsWindowVisible())
        ShowWindow(SW_SHOWNORMAL);
    CMessageLoopScope loop;
    while (m_bContinueModal) {
        MSG msg;
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            loop.OnIdle();
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT ends every loop: pass it on to the one outside.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    m_bContinueModal = false;
    // Wake the loop in case the request came from outside any message of this thread.
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    // Before the dialog shows, and before OnInitDialog, which may set texts of its own.
    if (m_pTemplate)
        RestoreTemplateTexts(m_hWnd, m_pTemplate, m_templateSize);
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    // Keyboard navigation (Tab, arrows, Enter, Escape) is the dialog manager's.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
        return ::IsDialogMessageA(m_hWnd, msg);
    return FALSE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
