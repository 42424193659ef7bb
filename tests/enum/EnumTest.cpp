// The main dialog's enumeration against the real system. One executable, three situations, told
// by QUENDRIX_EXPECT: "nt" (the default platform), "toolhelp" (Wine runs this executable as a
// Windows 98 program) and "unavailable" (psapi.dll is disabled).
#include <doctest/doctest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include <tlhelp32.h>
#define PSAPI_VERSION 2  // the copies of the process-status functions in kernel32
#include <psapi.h>

#include "app/ViewerDlg.h"
#include "enum/EnumApi.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

namespace {

std::string Expected()
{
    const char* value = std::getenv("QUENDRIX_EXPECT");
    return value ? value : "nt";
}

using testing::CTestViewerDlg;

struct Entry {
    std::string path;
    DWORD id;
    bool operator<(const Entry& o) const { return path != o.path ? path < o.path : id < o.id; }
    bool operator==(const Entry& o) const { return path == o.path && id == o.id; }
};

std::multiset<Entry> Entries(CPathListBox& list)
{
    std::multiset<Entry> entries;
    for (int i = 0; i < list.GetCount(); ++i) {
        CString path;
        list.GetItemText(i, path);
        entries.insert({path.GetString(), list.GetItemId(i)});
    }
    return entries;
}

std::string Describe(const std::multiset<Entry>& entries)
{
    std::string text;
    for (const Entry& e : entries)
        text += e.path + " #" + std::to_string(e.id) + "\n";
    return text;
}

// The full path of a process's executable as the system's process information query tells it,
// or "unknown" where the process-status functions cannot reach the process from here: it
// refuses the access that reading its modules needs, or it is a 64-bit process and this one a
// 32-bit process on a 64-bit system.
std::string ExpectedImagePath(DWORD id)
{
    using PfnQueryFullProcessImageNameA = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, DWORD*);
    static const auto query = reinterpret_cast<PfnQueryFullProcessImageNameA>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    REQUIRE((query != nullptr));
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (!process)
        return "unknown";
    BOOL selfWow64 = FALSE, targetWow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &selfWow64);
    ::IsWow64Process(process, &targetWow64);
    std::string path = "unknown";
    char buffer[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (!(selfWow64 && !targetWow64))
        path = query(process, 0, buffer, &size) ? buffer : "<no answer from the system>";
    ::CloseHandle(process);
    return path;
}

// A process's modules but its executable, as the system's tool-help snapshot lists them (32-bit
// modules of a 32-bit process included when the test is 64-bit); the executable is the module
// at the path of the process's image.
std::multiset<Entry> SnapshotModulesButExecutable(DWORD processId)
{
    std::multiset<Entry> entries;
    const std::string executable = ExpectedImagePath(processId);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Module32First(snapshot, &entry); ok; ok = ::Module32Next(snapshot, &entry)) {
        if (::lstrcmpiA(entry.szExePath, executable.c_str()) != 0)
            entries.insert({entry.szExePath, 0});
    }
    ::CloseHandle(snapshot);
    return entries;
}

// Checks a module list against snapshots of the process's modules taken before and after it
// was made (the process may load and free modules meanwhile): what both show is listed, and
// nothing more often than either shows it.
void CheckModulesBetween(const std::multiset<Entry>& listed, const std::multiset<Entry>& before,
                         const std::multiset<Entry>& after)
{
    CAPTURE(Describe(listed));
    std::set<Entry> all(listed.begin(), listed.end());
    all.insert(before.begin(), before.end());
    all.insert(after.begin(), after.end());
    for (const Entry& entry : all) {
        CAPTURE(entry.path);
        CHECK(listed.count(entry) >= std::min(before.count(entry), after.count(entry)));
        CHECK(listed.count(entry) <= std::max(before.count(entry), after.count(entry)));
    }
}

// Refreshes the dialog between two snapshots of the system's processes and checks the process
// list against them: every process of both is listed once, under its executable's full path
// (NT) or the snapshot's own name for it (tool-help), and nothing is listed that is in neither.
// Tool-help never shows the first process of its snapshot.
void CheckRefreshBetweenSnapshots(HWND dialog, CPathListBox& processes, bool toolhelp)
{
    std::vector<testing::SnapshotProcess> before, after;
    std::multiset<Entry> listed;
    std::map<DWORD, std::string> paths;
    // A process born and gone between the snapshots is in neither: such a listing is made
    // again, and the third is judged whatever it shows.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        before = testing::SnapshotProcesses();
        testing::ClickButton(dialog, IDC_REFRESH);
        listed = Entries(processes);
        for (const testing::SnapshotProcess& process : before)
            paths[process.id] = toolhelp ? process.exe : ExpectedImagePath(process.id);
        after = testing::SnapshotProcesses();
        if (std::all_of(listed.begin(), listed.end(),
                        [&](const Entry& entry) { return testing::AppearsIn(entry.id, before, after); }))
            break;
    }
    REQUIRE(!before.empty());
    REQUIRE(!after.empty());

    CAPTURE(Describe(listed));
    std::multiset<DWORD> ids;
    for (const Entry& entry : listed) {
        CAPTURE(entry.path);
        CHECK(testing::AppearsIn(entry.id, before, after));
        ids.insert(entry.id);
    }
    const DWORD first = before.front().id;
    for (const testing::SnapshotProcess& process : testing::Survivors(before, after)) {
        CAPTURE(process.exe);
        CAPTURE(process.id);
        if (toolhelp && process.id == first)
            continue;
        CHECK(ids.count(process.id) == 1);
        CHECK(listed.count({paths[process.id], process.id}) == 1);
    }
    if (toolhelp && after.front().id == first)
        CHECK(ids.count(first) == 0);
    CHECK(processes.GetCurSel() == 0);
}

bool IsSorted(const std::vector<std::string>& texts)
{
    return std::is_sorted(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
               CSTR_LESS_THAN;
    });
}

}  // namespace

TEST_CASE("the dialog binds the back end of the platform and lists what the system reports")
{
    const std::string expected = Expected();
    // Makes sure that the own process has a module beyond the system's.
    HMODULE extra = ::LoadLibraryA("version.dll");
    REQUIRE(extra != nullptr);

    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        HWND refresh = ::GetDlgItem(dialog.m_hWnd, IDC_REFRESH);
        CPathListBox& processes = dialog.m_lstProcesses;
        CPathListBox& modules = dialog.m_lstModules;

        if (expected == "unavailable") {
            CHECK(dialog.m_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT);
            CHECK(dialog.m_hEnumLibrary == nullptr);
            CHECK_FALSE(dialog.IsBackendAvailable());
            CHECK_FALSE(::IsWindowEnabled(refresh));
            CHECK(processes.GetCount() == 0);
            CHECK(modules.GetCount() == 0);
            // No message about it: the dialog is the only window the test's thread shows.
            CHECK(testing::FindOwnedWindow(dialog.m_hWnd, "#32770") == nullptr);
            // A selection notice on the empty list lists nothing.
            ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PROCESS_LIST, LBN_SELCHANGE), 0);
            CHECK(modules.GetCount() == 0);
            return;
        }

        CHECK(dialog.IsBackendAvailable());
        CHECK(::IsWindowEnabled(refresh));
        REQUIRE(processes.GetCount() > 0);
        CHECK(processes.GetCurSel() == 0);
        CHECK(IsSorted(testing::ListTexts(processes.m_hWnd)));

        const bool toolhelp = expected == "toolhelp";
        if (toolhelp) {
            // Wine reports a Windows 98 platform for this executable; only tool-help is bound.
            REQUIRE(dialog.m_osvi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
            CHECK((pfnEnumProcesses == nullptr));
            CHECK((pfnModule32Next != nullptr));
            CHECK(dialog.m_hEnumLibrary == ::GetModuleHandleA("kernel32.dll"));
        } else {
            REQUIRE(dialog.m_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT);
            CHECK((pfnCreateToolhelp32Snapshot == nullptr));
            CHECK(dialog.m_hEnumLibrary == ::GetModuleHandleA("psapi.dll"));
        }
        CheckRefreshBetweenSnapshots(dialog.m_hWnd, processes, toolhelp);

        // Entry 0's modules are listed at once, after start-up and after every refresh, as
        // snapshots before and after the refresh show them (entry 0 may be a process that loads
        // modules as it goes, this one among them). A refresh that puts another process first
        // is made again.
        DWORD first = 0;
        std::multiset<Entry> before, after;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            testing::ClickButton(dialog.m_hWnd, IDC_REFRESH);
            first = processes.GetItemId(0);
            before = SnapshotModulesButExecutable(first);
            testing::ClickButton(dialog.m_hWnd, IDC_REFRESH);
            after = SnapshotModulesButExecutable(first);
            if (processes.GetItemId(0) == first)
                break;
        }
        CHECK(processes.GetCurSel() == 0);
        CAPTURE(testing::ListTexts(processes.m_hWnd).at(0));
        REQUIRE(processes.GetItemId(0) == first);
        CheckModulesBetween(Entries(modules), before, after);

        // Then those of the own process, on selection (drawing may load a module meanwhile).
        before = SnapshotModulesButExecutable(::GetCurrentProcessId());
        int own = testing::SelectEntryById(processes, ::GetCurrentProcessId());
        if (own < 0) {
            // Only the snapshot's first process is left out, and that may be this one.
            HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32 first{};
            first.dwSize = sizeof first;
            ::Process32First(snapshot, &first);
            ::CloseHandle(snapshot);
            REQUIRE(toolhelp);
            REQUIRE(first.th32ProcessID == ::GetCurrentProcessId());
            return;
        }
        char exe[MAX_PATH] = "";
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::multiset<Entry> listed = Entries(modules);
        CheckModulesBetween(listed, before, SnapshotModulesButExecutable(::GetCurrentProcessId()));
        if (!toolhelp) {
            CHECK(testing::ListTexts(processes.m_hWnd).at(own) == std::string(DisplayNameOf(exe)));
            CHECK(listed.count({exe, 0}) == 0);
        }
        char versionDll[MAX_PATH] = "";
        ::GetModuleFileNameA(extra, versionDll, MAX_PATH);
        CHECK(listed.count({versionDll, 0}) == 1);
        CHECK(IsSorted(testing::ListTexts(modules.m_hWnd)));

        // Refresh rebuilds both lists and selects entry 0 again, also with a process more.
        // The test holder waits for messages until it is ended: it runs while the list is made.
        testing::StartedProcess child(L"\"" + ToWide(testing::ExeDirectory()) + L"holder.exe\"");
        ::WaitForInputIdle(child.Handle(), 10000);
        CheckRefreshBetweenSnapshots(dialog.m_hWnd, processes, toolhelp);

        // A process that has ended since lists no modules.
        child.End();
        int ended = -1;
        for (int i = 0; i < processes.GetCount(); ++i)
            if (processes.GetItemId(i) == child.Id())
                ended = i;
        REQUIRE(ended >= 0);
        processes.SetCurSel(ended);
        ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PROCESS_LIST, LBN_SELCHANGE), 0);
        CHECK(modules.GetCount() == 0);
    });
    ::FreeLibrary(extra);
}

namespace {

// Passes every call on to the bound EnumProcessModulesEx and notes the filters asked for.
PfnEnumProcessModulesEx g_boundEx;
std::vector<DWORD> g_filters;
BOOL WINAPI NotingEnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed, DWORD filter)
{
    g_filters.push_back(filter);
    return g_boundEx(process, modules, bytes, needed, filter);
}

}  // namespace

TEST_CASE("only the 64-bit program binds the listing of every module, and lists without it too")
{
    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        if (Expected() != "nt") {
            // Tool-help, or no back end at all: nothing more is bound.
            CHECK((pfnEnumProcessModulesEx == nullptr));
            return;
        }
        const bool is64 = sizeof(void*) == 8;
        CHECK((pfnEnumProcessModulesEx != nullptr) == is64);

        // The module list asks for the modules of both bitnesses (LIST_MODULES_ALL), once.
        g_boundEx = pfnEnumProcessModulesEx;
        g_filters.clear();
        if (g_boundEx)
            pfnEnumProcessModulesEx = &NotingEnumProcessModulesEx;
        REQUIRE(testing::SelectEntryById(dialog.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
        std::multiset<Entry> listed = Entries(dialog.m_lstModules);
        CHECK(g_filters == (is64 ? std::vector<DWORD>{LIST_MODULES_ALL} : std::vector<DWORD>{}));

        // Where psapi.dll lacks it, the modules are listed all the same.
        pfnEnumProcessModulesEx = nullptr;
        REQUIRE(testing::SelectEntryById(dialog.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
        CHECK(Describe(Entries(dialog.m_lstModules)) == Describe(listed));
        CHECK(listed.size() > 3);
        pfnEnumProcessModulesEx = g_boundEx;
    });
}
