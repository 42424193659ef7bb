#include "support/TestSupport.h"

#include <exception>

namespace testing {

namespace {

struct ScriptState {
    CDialog* dialog;
    const std::function<void()>* script;
    bool ran;
    std::exception_ptr failure;  // a failed REQUIRE must not unwind through the system's code
};
ScriptState* g_script;

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(nullptr, timer);
    if (!g_script || g_script->ran)
        return;
    g_script->ran = true;
    try {
        (*g_script->script)();
    } catch (...) {
        g_script->failure = std::current_exception();
    }
    if (g_script->dialog->ContinueModal())
        g_script->dialog->EndDialog(IDCANCEL);
}

}  // namespace

INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script)
{
    ScriptState state{&dialog, &script, false, nullptr};
    ScriptState* outer = g_script;
    g_script = &state;
    ::SetTimer(nullptr, 0, 50, &RunScript);
    INT_PTR result = dialog.DoModal();
    g_script = outer;
    if (state.failure)
        std::rethrow_exception(state.failure);
    return result;
}

void Pump(int ms)
{
    auto drain = [] {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    };
    drain();
    if (ms > 0) {
        ::Sleep(static_cast<DWORD>(ms));
        drain();
    }
}

std::vector<std::string> ListTexts(HWND listBox)
{
    std::vector<std::string> texts;
    int count = static_cast<int>(::SendMessageA(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(::SendMessageA(listBox, LB_GETTEXTLEN, i, 0));
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        ::SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length > 0 ? length : 0));
        texts.push_back(text);
    }
    return texts;
}

namespace {

struct OwnedSearch {
    HWND owner;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    char name[64] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    if (lstrcmpiA(name, search->className) == 0 && ::GetWindow(hWnd, GW_OWNER) == search->owner &&
        ::IsWindowVisible(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindOwnedWindow(HWND owner, const char* className)
{
    OwnedSearch search{owner, className, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string MessageBoxText(HWND box)
{
    std::string joined;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") != 0)
            continue;
        char text[1024] = "";
        ::GetWindowTextA(child, text, sizeof text);
        if (!text[0])
            continue;
        if (!joined.empty())
            joined += '\n';
        joined += text;
    }
    return joined;
}

void ClickButton(HWND dialog, int id)
{
    HWND button = ::GetDlgItem(dialog, id);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

std::string ExeDirectory()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

}  // namespace testing
