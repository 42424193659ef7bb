#include "support/TestSupport.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <sstream>

#include <tlhelp32.h>

#include "enum/DisplayName.h"
#include "res/resource.h"

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

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        Pump();
        if (done())
            return true;
        if (::GetTickCount() - start >= static_cast<DWORD>(timeoutMs))
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
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
        // Wide, as the box shows it whatever the ANSI code page.
        wchar_t wide[1024] = L"";
        ::GetWindowTextW(child, wide, 1024);
        if (!wide[0])
            continue;
        char text[3 * 1024] = "";
        ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
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

int SelectEntryById(CPathListBox& list, DWORD id)
{
    for (int i = 0; i < list.GetCount(); ++i) {
        if (list.GetItemId(i) == id) {
            list.SetCurSel(i);
            ::SendMessageA(::GetParent(list.m_hWnd), WM_COMMAND, MAKEWPARAM(list.GetDlgCtrlID(), LBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(list.m_hWnd));
            return i;
        }
    }
    return -1;
}

namespace {

struct Watch {
    HWND owner;
    std::string className;
    std::function<void(HWND)> action;
    DWORD deadline;
};
std::vector<Watch> g_watches;
UINT_PTR g_watchTimer;

void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD)
{
    // One action per tick, taken off the list first: an action may run a modal loop of its own,
    // in which later ticks serve the other watches.
    for (size_t i = 0; i < g_watches.size(); ++i) {
        HWND found = FindOwnedWindow(g_watches[i].owner, g_watches[i].className.c_str());
        bool expired = static_cast<LONG>(::GetTickCount() - g_watches[i].deadline) > 0;
        if (!found && !expired)
            continue;
        std::function<void(HWND)> action = std::move(g_watches[i].action);
        g_watches.erase(g_watches.begin() + static_cast<std::ptrdiff_t>(i));
        if (g_watches.empty())
            CancelWatches();
        if (found)
            action(found);
        return;
    }
}

}  // namespace

void WhenOwnedWindowAppears(HWND owner, const char* className, std::function<void(HWND)> action, int timeoutMs)
{
    g_watches.push_back({owner, className, std::move(action), ::GetTickCount() + static_cast<DWORD>(timeoutMs)});
    if (!g_watchTimer)
        g_watchTimer = ::SetTimer(nullptr, 0, 20, &WatchTick);
}

void CancelWatches()
{
    g_watches.clear();
    if (g_watchTimer)
        ::KillTimer(nullptr, g_watchTimer);
    g_watchTimer = 0;
}

namespace {

HWND FindEdit(HWND parent)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Edit") == 0)
            return child;
        if (HWND inner = FindEdit(child))
            return inner;
    }
    return nullptr;
}

}  // namespace

HWND FileNameBox(HWND fileDialog)
{
    if (HWND edit = ::GetDlgItem(fileDialog, 1152))
        return edit;
    HWND combo = ::GetDlgItem(fileDialog, 1148);
    return combo ? FindEdit(combo) : nullptr;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<SnapshotProcess> SnapshotProcesses()
{
    std::vector<SnapshotProcess> processes;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return processes;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snapshot, &entry); ok; ok = ::Process32Next(snapshot, &entry))
        processes.push_back({entry.th32ProcessID, entry.szExeFile});
    ::CloseHandle(snapshot);
    return processes;
}

std::vector<SnapshotProcess> Survivors(const std::vector<SnapshotProcess>& before,
                                       const std::vector<SnapshotProcess>& after)
{
    std::vector<SnapshotProcess> both;
    for (const SnapshotProcess& process : before)
        if (std::find(after.begin(), after.end(), process) != after.end())
            both.push_back(process);
    return both;
}

std::vector<std::string> OwnModulePaths()
{
    char exe[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::vector<std::string> paths;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Module32First(snapshot, &entry); ok; ok = ::Module32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExePath, exe) != 0)
            paths.push_back(entry.szExePath);
    }
    ::CloseHandle(snapshot);
    return paths;
}

std::multiset<std::string> OwnModuleNames()
{
    std::multiset<std::string> names;
    for (const std::string& path : OwnModulePaths())
        names.insert(DisplayNameOf(path.c_str()).GetString());
    return names;
}

std::string FileContent(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return in ? content.str() : std::string("<missing>");
}

bool AppearsIn(DWORD id, const std::vector<SnapshotProcess>& before, const std::vector<SnapshotProcess>& after)
{
    auto hasId = [id](const SnapshotProcess& process) { return process.id == id; };
    return std::any_of(before.begin(), before.end(), hasId) || std::any_of(after.begin(), after.end(), hasId);
}

std::string ExeDirectory()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string ProgramFileName()
{
    return QUENDRIX_PROGRAM_NAME ".exe";
}

std::string ProgramPath()
{
    return ExeDirectory() + "..\\" + ProgramFileName();
}

std::vector<MenuItem> MenuItems(HMENU menu)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[256] = "";
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({info.wID, (info.fType & MFT_SEPARATOR) != 0, text, info.fType});
    }
    return items;
}

}  // namespace testing
