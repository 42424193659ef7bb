// The main dialog's export commands.
#include "app/ViewerDlg.h"

void CViewerDlg::OnSaveList()
{
}

void CViewerDlg::OnCopyModules()
{
}
