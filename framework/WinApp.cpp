#include "WinApp.h"

#include "framework/Encoding.h"
#include "framework/WideFunctions.h"

namespace {
CWinApp* g_pApp;
}

CWinThread* AfxGetThread() { return g_pApp; }
CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd()
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName)
{
    g_pApp = this;
    if (appName)
        m_strAppName = appName;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id));
}

BOOL CWinApp::OnCmdMsg(UINT id, int code)
{
    LRESULT result = 0;
    return DispatchToMap(WM_COMMAND, MAKEWPARAM(id, code), 0, &result);
}

int CWinThread::Run()
{
    CMessageLoopScope loop;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            loop.OnIdle();
    }
    return ExitInstance();
}

int AfxWinMain(HINSTANCE instance)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    if (app->m_strAppName.IsEmpty()) {
        // Of a path cut at MAX_PATH, the name would be lost.
        const std::string path = FromWide(ModuleFileOf(nullptr));
        const char* name = path.c_str();
        for (const char* p = name; *p; ++p)
            if (*p == '\\' || *p == '/' || *p == ':')
                name = p + 1;
        const char* dot = strrchr(name, '.');
        app->m_strAppName = CString(name, dot ? static_cast<int>(dot - name) : static_cast<int>(strlen(name)));
    }
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
