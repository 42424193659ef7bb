// CViewerApp: the application object; its only task is to run the main dialog.
#pragma once

#include "framework/WinApp.h"

class CViewerApp : public CWinApp {
public:
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};
