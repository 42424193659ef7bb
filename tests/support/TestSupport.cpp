#include "support/TestSupport.h"

#include <algorithm>
#include <exception>

#include <shlwapi.h>
#include <tlhelp32.h>

#include <doctest/doctest.h>

#include "framework/Encoding.h"
#include "framework/WinApp.h"
#include "paths/DisplayName.h"
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

INT_PTR RunAsMainWindow(CDialog& dialog, const std::function<void()>& script)
{
    CWinApp* app = AfxGetApp();
    REQUIRE_MESSAGE(app != nullptr, "the test has no application object");
    // Reset also when the script fails.
    struct MainWindow {
        CWinApp* app;
        ~MainWindow() { app->m_pMainWnd = nullptr; }
    } main{app};
    app->m_pMainWnd = &dialog;
    return RunModal(dialog, script);
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
    if (IsOfClass(hWnd, search->className) && ::GetWindow(hWnd, GW_OWNER) == search->owner &&
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
        const std::string text = IsOfClass(child, "Static") ? WindowText(child) : "";
        if (text.empty())
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
        if (IsOfClass(child, "Edit"))
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
    wchar_t wide[1024] = L"";
    ::GetWindowTextW(window, wide, 1024);
    char text[3 * 1024] = "";
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

bool IsOfClass(HWND window, const char* className)
{
    char name[80] = "";
    ::GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

HWND FindControl(HWND parent, int id, const char* className)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgCtrlID(child) == id && IsOfClass(child, className))
            return child;
    return nullptr;
}

CRect WindowRect(HWND window)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    return rect;
}

CRect ClientRectOf(HWND parent, HWND window)
{
    CRect rect = WindowRect(window);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HFONT CreateDialogFont()
{
    HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
}

int TextWidth(HFONT font, const std::string& text)
{
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(screen, font);
    SIZE extent{};
    ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    return extent.cx;
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

namespace {

// Removes a folder with everything in it, through the wide functions: what a test made inside
// may be named in any character, and lie deeper than MAX_PATH.
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

void RemoveTree(const std::string& folder)
{
    RemoveTree(L"\\\\?\\" + ToWide(folder));
}

// The owner of the folders that FreshFolder made: it removes them when the process ends, after
// every test case has run, whether its checks held or not.
struct MadeFolders {
    std::set<std::string> folders;
    ~MadeFolders()
    {
        // A folder that is the current directory cannot be removed.
        ::SetCurrentDirectoryA(ExeDirectory().c_str());
        for (const std::string& folder : folders)
            RemoveTree(folder);
    }
};

}  // namespace

std::string FreshFolder(const char* name)
{
    static MadeFolders made;
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name + "." + std::to_string(::GetCurrentProcessId());
    RemoveTree(folder);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    made.folders.insert(folder);
    return folder;
}

CurrentFolder::CurrentFolder(const std::string& folder)
{
    wchar_t before[MAX_PATH] = L"";
    REQUIRE(::GetCurrentDirectoryW(MAX_PATH, before) > 0);
    m_before = before;
    REQUIRE_MESSAGE(::SetCurrentDirectoryW(Wide(folder).c_str()), folder);
}

CurrentFolder::~CurrentFolder()
{
    ::SetCurrentDirectoryW(m_before.c_str());
}

UserKey::UserKey(std::string path) : m_path(std::move(path))
{
    HKEY key;
    REQUIRE_MESSAGE(::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                      nullptr) == ERROR_SUCCESS, m_path);
    ::RegCloseKey(key);
}

UserKey::~UserKey()
{
    ::SHDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str());
}

void UserKey::Set(const char* value, const std::string& data, const std::string& subkey) const
{
    HKEY key;
    REQUIRE(::RegCreateKeyExA(HKEY_CURRENT_USER, (m_path + subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) == ERROR_SUCCESS);
    const LONG result = ::RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                         static_cast<DWORD>(data.size() + 1));
    ::RegCloseKey(key);
    REQUIRE(result == ERROR_SUCCESS);
}

namespace {

// The first of a few non-ASCII characters (UTF-8) whose round trip through the ANSI code page
// keeps it, or loses it: a Latin, a Cyrillic and a Greek letter, and a kana.
std::string CharacterWhere(bool kept)
{
    for (const wchar_t* candidate : {L"\u00E4", L"\u0416", L"\u03A9", L"\u30A2"}) {
        char ansi[8] = "";
        BOOL lost = FALSE;
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, candidate, -1, ansi, sizeof ansi, nullptr, &lost);
        if ((lost == FALSE) == kept) {
            char utf8[8] = "";
            ::WideCharToMultiByte(CP_UTF8, 0, candidate, -1, utf8, sizeof utf8, nullptr, nullptr);
            return utf8;
        }
    }
    FAIL("no candidate character is " << (kept ? "in" : "outside") << " ANSI code page " << ::GetACP());
    return "";
}

}  // namespace

std::string CharacterInCodePage()
{
    return CharacterWhere(true);
}

std::string CharacterOutsideCodePage()
{
    return CharacterWhere(false);
}

std::string FileContent(const std::string& path)
{
    return FileContent(ToWide(path));
}

std::set<std::string> FileNames(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    const std::string pattern = folder + (!folder.empty() && folder.back() == '\\' ? "*" : "\\*");
    HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    ::FindClose(search);
    return names;
}

std::string FileContent(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
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
