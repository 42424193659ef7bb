// Common header of the application framework: Windows headers and the process-wide helpers.
#pragma once

#ifndef STRICT
#define STRICT
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "Geometry.h"
#include "String.h"

class CWnd;
class CWinThread;
class CWinApp;

// The thread object of the user-interface thread (the application), or null when none exists.
CWinThread* AfxGetThread();
CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// Shows a message box owned by the application's active window; returns the button pressed.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// The same for a text that must read alike on every ANSI code page.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK, UINT helpId = 0);

// Registers (once per distinct set of arguments) a window class whose procedure is the default
// one; the framework subclasses each window of it when it is created. Returns the class name,
// or null when the system refuses to register the class.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                HBRUSH background = nullptr, HICON icon = nullptr);

// Hosting of embedded controls and 3-D drawing are built into the system's controls; these
// remain for programs that ask for them at start-up and do nothing.
inline void AfxEnableControlContainer() {}
