#include "app/ViewerApp.h"

#include <ole2.h>

#include "app/ViewerDlg.h"
#include "export/VersionApi.h"

CViewerApp theApp;

BEGIN_MESSAGE_MAP(CViewerApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

BOOL CViewerApp::InitInstance()
{
    // Before anything else can load version.dll by name, and find one left beside the program.
    BindVersionFunctions();
    AfxEnableControlContainer();
    Enable3dControls();
    // The shell's context-menu commands (copy, cut, drag and drop) need OLE on this thread.
    HRESULT ole = ::OleInitialize(nullptr);

    CViewerDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    if (SUCCEEDED(ole))
        ::OleUninitialize();
    // The dialog was the whole program: end instead of running a message loop.
    return FALSE;
}
