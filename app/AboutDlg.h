// CAboutDlg: the About box, opened from the main dialog's system menu.
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    LRESULT OnContextMenu(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
