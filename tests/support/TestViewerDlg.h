// The main dialog with its members open to the tests. It also notes what the layout test asks:
// whether a size change came before the controls were attached, and each background erasing of
// its minimised picture.
#pragma once

#include "app/ViewerDlg.h"

namespace testing {

class CTestViewerDlg : public CViewerDlg {
public:
    using CViewerDlg::IsBackendAvailable;
    using CViewerDlg::WriteModuleReport;
    using CViewerDlg::m_hEnumLibrary;
    using CViewerDlg::m_lstModules;
    using CViewerDlg::m_lstProcesses;
    using CViewerDlg::m_osvi;

    bool m_bSizedBeforeControls = false;
    int m_nIconErases = 0;
    HDC m_hIconEraseDC = nullptr;

protected:
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnIconEraseBkgnd(WPARAM wParam, LPARAM);
    DECLARE_MESSAGE_MAP()
};

}  // namespace testing
