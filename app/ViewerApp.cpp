#include "app/ViewerApp.h"

#include "app/ViewerDlg.h"

CViewerApp theApp;

BEGIN_MESSAGE_MAP(CViewerApp, CWinApp)
    ON_COMMAND(0xE146 /* ID_HELP */, OnHelp)
END_MESSAGE_MAP()

BOOL CViewerApp::InitInstance()
{
    AfxEnableControlContainer();

    CViewerDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // The dialog was the whole program: end instead of running a message loop.
    return FALSE;
}
