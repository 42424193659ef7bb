#include "app/ViewerDlg.h"

#include "app/AboutDlg.h"
#include "framework/WinApp.h"

BEGIN_MESSAGE_MAP(CViewerDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_REFRESH, OnRefresh)
    ON_LBN_SELCHANGE(IDC_PROCESS_LIST, OnSelchangeProcessList)
    ON_WM_SIZE()
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_BN_CLICKED(IDC_SAVE_LIST, OnSaveList)
    ON_BN_CLICKED(IDC_COPY_MODULES, OnCopyModules)
END_MESSAGE_MAP()

CViewerDlg::CViewerDlg(CWnd* parent)
    : CDialog(IDD_VIEWER_DIALOG, parent),
      m_hIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                          : ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_osvi{},
      m_hEnumLibrary(nullptr)
{
}

void CViewerDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_COPY_MODULES, m_btnCopyModules);
    DDX_Control(dx, IDC_SAVE_LIST, m_btnSaveList);
    DDX_Control(dx, IDCANCEL, m_btnClose);
    DDX_Control(dx, IDC_REFRESH, m_btnRefresh);
    DDX_Control(dx, IDC_MODULE_LIST, m_lstModules);
    DDX_Control(dx, IDC_PROCESS_LIST, m_lstProcesses);
}

BOOL CViewerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddAboutMenuItem();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    BindBackend();
    return TRUE;
}

// The About entry goes below the system's own commands, unless its text is missing.
void CViewerDlg::AddAboutMenuItem()
{
    HMENU systemMenu = GetSystemMenu(FALSE);
    if (!systemMenu)
        return;
    CString text;
    text.LoadString(IDS_ABOUTBOX);
    if (text.IsEmpty())
        return;
    ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void CViewerDlg::OnSysCommand(UINT id, LPARAM)
{
    // The system uses the low four bits of a command id itself.
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

LRESULT CViewerDlg::HandleQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}

// A context-menu request that the lists leave alone has no effect on the dialog.
LRESULT CViewerDlg::OnContextMenu(WPARAM, LPARAM)
{
    return 0;
}
