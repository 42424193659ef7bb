#include "app/AboutDlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

// Unlike the main dialog, the About box leaves a context-menu request to the system.
LRESULT CAboutDlg::OnContextMenu(WPARAM, LPARAM)
{
    return Default();
}
