#include "app/ViewerDlg.h"

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
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    BindBackend();
    return TRUE;
}

void CViewerDlg::OnSysCommand(UINT, LPARAM)
{
    Default();
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
