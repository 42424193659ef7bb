#include "WinApp.h"

#include "Encoding.h"

namespace {

// Owned by the window the user works in: the main window's last active popup.
HWND MessageBoxOwner()
{
    HWND owner = nullptr;
    if (CWnd* main = AfxGetMainWnd())
        owner = main->m_hWnd && ::IsWindow(main->m_hWnd) ? ::GetLastActivePopup(main->m_hWnd) : nullptr;
    return owner ? owner : ::GetActiveWindow();
}

// The application's name, null when it has none (the system's default caption applies).
const char* MessageBoxCaption()
{
    CWinApp* app = AfxGetApp();
    return app && !app->m_strAppName.IsEmpty() ? app->m_strAppName.GetString() : nullptr;
}

}  // namespace

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/)
{
    return ::MessageBoxA(MessageBoxOwner(), text, MessageBoxCaption(), type);
}

int AfxMessageBox(const wchar_t* text, UINT type, UINT /*helpId*/)
{
    const char* name = MessageBoxCaption();
    std::wstring caption = name ? ToWide(name) : std::wstring();
    // MessageBoxW is one of the few wide functions that Windows 95 and 98 carry.
    return ::MessageBoxW(MessageBoxOwner(), text, name ? caption.c_str() : nullptr, type);
}
