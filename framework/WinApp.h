// CWinThread and CWinApp: the user-interface thread and the application object that starts it.
#pragma once

#include "Wnd.h"

class CWinThread : public CCmdTarget {
public:
    CWnd* m_pMainWnd = nullptr;
    CWnd* GetMainWnd() const { return m_pMainWnd; }

    virtual BOOL InitInstance() { return FALSE; }
    // Runs the thread's message loop until WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    virtual int ExitInstance() { return 0; }
};

// The command that asks for help.
const UINT ID_HELP = 0xE146;

// The one application object of the program; the entry point finds it through AfxGetApp.
class CWinApp : public CWinThread {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    // The application's name: as given, or the executable's file name without extension.
    CString m_strAppName;

    HICON LoadIcon(UINT id) const;
    // The system draws its controls three-dimensional itself: nothing to switch on.
    BOOL Enable3dControls() { return TRUE; }
    // Routes a command that no window handled to the application's message map.
    BOOL OnCmdMsg(UINT id, int code);

protected:
    // The application has no help file: a help request does nothing.
    void OnHelp() {}

    DECLARE_MESSAGE_MAP()
};

// The framework's entry point: binds the application to the instance and runs it.
int AfxWinMain(HINSTANCE instance);
