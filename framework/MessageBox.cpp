#include "WinApp.h"

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/)
{
    // Owned by the window the user works in: the main window's last active popup.
    HWND owner = nullptr;
    if (CWnd* main = AfxGetMainWnd())
        owner = main->m_hWnd && ::IsWindow(main->m_hWnd) ? ::GetLastActivePopup(main->m_hWnd) : nullptr;
    if (!owner)
        owner = ::GetActiveWindow();
    CWinApp* app = AfxGetApp();
    const char* caption = app && !app->m_strAppName.IsEmpty() ? app->m_strAppName.GetString() : nullptr;
    return ::MessageBoxA(owner, text, caption, type);
}
