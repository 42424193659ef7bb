// CViewerDlg's geometry: the layout of its controls when it is resized, and its picture when it
// is minimised.
#include "app/ViewerDlg.h"
#include "app/ViewerLayout.h"
#include "framework/Dc.h"

namespace {

// Moves a list and has it drawn anew as a whole: Wine copies a moved window's old pixels along
// even from where the shrunk dialog no longer has any, and repaints only the rest.
void MoveList(CWnd& list, const Placement& p)
{
    list.MoveWindow(p.x, p.y, p.width, p.height, TRUE);
    list.Invalidate();
}

}  // namespace

void CViewerDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    CRect client;
    GetClientRect(&client);
    const CPoint at = IconPosition(CSize(client.Width(), client.Height()),
                                   CSize(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)));
    ::DrawIcon(dc.m_hDC, at.x, at.y, m_hIcon);
}

void CViewerDlg::OnSize(UINT, int cx, int cy)
{
    Default();
    // The dialog gets its first WM_SIZE while it is created, before the controls are attached.
    if (!::IsWindow(m_lstProcesses.m_hWnd))
        return;

    CRect refresh;
    m_btnRefresh.GetClientRect(&refresh);
    const ListLayout lists = LayoutLists(cx, cy, refresh.Height());
    MoveList(m_lstProcesses, lists.processes);
    MoveList(m_lstModules, lists.modules);

    // The buttons follow the lists' bottom edge as the system placed it.
    CRect modules;
    m_lstModules.GetWindowRect(&modules);
    const struct {
        CButton& button;
        ButtonColumn column;
    } row[] = {
        {m_btnRefresh, ButtonColumn::Kept},
        {m_btnClose, ButtonColumn::Kept},
        {m_btnSaveList, ButtonColumn::UnderModules},
        {m_btnCopyModules, ButtonColumn::BesideSave},
    };
    for (const auto& entry : row) {
        CRect rect;
        entry.button.GetWindowRect(&rect);
        CPoint at = ButtonPosition(rect, entry.column, modules.left, modules.bottom);
        ScreenToClient(&at);
        // Z-order is the tab order of a dialog's controls: leave it as the template has it.
        entry.button.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    m_btnSaveList.UpdateWindow();
    m_btnCopyModules.UpdateWindow();
}
