#include "support/TestViewerDlg.h"

namespace testing {

BEGIN_MESSAGE_MAP(CTestViewerDlg, CViewerDlg)
    ON_WM_SIZE()
    ON_MESSAGE(WM_ICONERASEBKGND, OnIconEraseBkgnd)
END_MESSAGE_MAP()

void CTestViewerDlg::OnSize(UINT type, int cx, int cy)
{
    if (!m_lstProcesses.m_hWnd)
        m_bSizedBeforeControls = true;
    CViewerDlg::OnSize(type, cx, cy);
}

LRESULT CTestViewerDlg::OnIconEraseBkgnd(WPARAM wParam, LPARAM)
{
    ++m_nIconErases;
    m_hIconEraseDC = reinterpret_cast<HDC>(wParam);
    return Default();
}

}  // namespace testing
