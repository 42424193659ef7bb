// The finished program end to end: the built program is started as a process of its own and
// driven from outside through its windows, as a user's clicks would.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include <tlhelp32.h>

#include "paths/DisplayName.h"
#include "res/resource.h"
#include "support/DialogTemplate.h"
#include "support/RunningProgram.h"
#include "support/TestSupport.h"

namespace {

using Program = testing::RunningProgram;
using testing::RemoteListTexts;

// A copy of the program under its own name, with Wine settings for that name only; both go
// with the owner, which must outlive the copy's run.
struct ProgramCopy {
    ProgramCopy(const char* name, const char* subkey, const char* value, const char* data)
        : path(testing::ExeDirectory() + name), settings(std::string("Software\\Wine\\AppDefaults\\") + name)
    {
        REQUIRE(::CopyFileA(testing::ProgramPath().c_str(), path.c_str(), FALSE));
        settings.Set(value, data, subkey);
    }
    ~ProgramCopy() { ::DeleteFileA(path.c_str()); }
    std::string path;
    testing::UserKey settings;
};

// The file name of an executable as the snapshot names it.
std::string FileNameOf(const std::string& exe)
{
    return exe.substr(exe.find_last_of("\\/") + 1);
}

// Checks the names that a listing made between two snapshots shows: each process of both
// snapshots is shown, and no name more often than the processes of either have it. The first
// process of the snapshot, which tool-help leaves out, counts for neither.
void CheckShownBetween(const std::vector<std::string>& listed, const std::vector<testing::SnapshotProcess>& before,
                       const std::vector<testing::SnapshotProcess>& after)
{
    REQUIRE(!before.empty());
    const DWORD first = before.front().id;
    std::multiset<std::string> shown(listed.begin(), listed.end()), required, allowed;
    for (const testing::SnapshotProcess& process : testing::Survivors(before, after))
        if (process.id != first)
            required.insert(FileNameOf(process.exe));
    std::set<DWORD> seen;
    for (const auto* snapshot : {&before, &after})
        for (const testing::SnapshotProcess& process : *snapshot)
            if (process.id != first && seen.insert(process.id).second)
                allowed.insert(FileNameOf(process.exe));
    for (const std::string& name : std::set<std::string>(allowed.begin(), allowed.end())) {
        CAPTURE(name);
        CHECK(shown.count(name) >= required.count(name));
        CHECK(shown.count(name) <= allowed.count(name));
    }
    for (const std::string& name : shown) {
        CAPTURE(name);
        CHECK(allowed.count(name) > 0);
    }
}

// Whether each name that a listing shows is that of a process of either snapshot: a process
// born and gone between them is in neither.
bool OnlyKnownNames(const std::vector<std::string>& listed, const std::vector<testing::SnapshotProcess>& before,
                    const std::vector<testing::SnapshotProcess>& after)
{
    std::set<std::string> known;
    for (const auto* snapshot : {&before, &after})
        for (const testing::SnapshotProcess& process : *snapshot)
            known.insert(FileNameOf(process.exe));
    return std::all_of(listed.begin(), listed.end(), [&](const std::string& name) { return known.count(name) > 0; });
}

std::multiset<std::string> Listed(HWND list)
{
    std::vector<std::string> texts = RemoteListTexts(list);
    return std::multiset<std::string>(texts.begin(), texts.end());
}

}  // namespace

TEST_CASE("the dialog is built as its template says")
{
    HMODULE image = ::LoadLibraryExA(testing::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(image != nullptr);
    testing::DialogTemplate dialog = testing::ReadDialogTemplate(image, IDD_VIEWER_DIALOG);
    CHECK(dialog.style == (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                           WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_SETFONT));
    CHECK(dialog.exStyle == WS_EX_APPWINDOW);
    CHECK(dialog.caption == "Quendrix");
    CHECK(dialog.font == "MS Sans Serif");
    CHECK(dialog.pointSize == 8);
    CHECK(dialog.cx == 422);
    CHECK(dialog.cy == 212);

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD list = child | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
    std::vector<testing::DialogItem> expected = {
        {IDCANCEL, 0x80, "Schlie\xC3\x9F" "en", child | BS_PUSHBUTTON | WS_TABSTOP, 2, 191, 50, 14},
        {IDC_PROCESS_LIST, 0x83, "", list | WS_HSCROLL, 2, 7, 205, 177},
        {IDC_MODULE_LIST, 0x83, "", list, 212, 7, 205, 178},
        {IDC_REFRESH, 0x80, "&Refresh", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 63, 191, 50, 14},
        {IDC_SAVE_LIST, 0x80, "Modulliste &speichern", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 216, 191, 80, 14},
        {IDC_COPY_MODULES, 0x80, "Module &kopieren", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 303, 191, 80, 14},
    };
    REQUIRE(dialog.items.size() == expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        CAPTURE(i);
        CHECK(dialog.items[i] == expected[i]);
    }
    ::FreeLibrary(image);
}

// Run by its own test entries, each in a locale of the ANSI code page that it names: 1252 has the
// German letters, 1251 lacks "ß", which the program's dialog, made through the ANSI functions,
// must still show.
TEST_CASE("on screen the texts are the template's, and the Close button ends the program" * doctest::skip())
{
    const char* codePage = std::getenv("QUENDRIX_CODE_PAGE");
    REQUIRE_MESSAGE(codePage, "run by the test entries that set a locale and name its code page");
    REQUIRE_MESSAGE(std::to_string(::GetACP()) == codePage, "ANSI code page " << ::GetACP() << ", not " << codePage);
    Program program(testing::ProgramPath());
    CHECK(testing::WindowText(program.Item(IDCANCEL)) == "Schlie\xC3\x9F" "en");
    CHECK(testing::WindowText(program.Dialog()) == "Quendrix");
    program.Click(IDCANCEL);
    CHECK(program.WaitForExit(10000) == 0);
}

TEST_CASE("the program lists the running processes and refreshes on request")
{
    Program program(testing::ProgramPath());
    HWND processes = program.Item(IDC_PROCESS_LIST);
    HWND modules = program.Item(IDC_MODULE_LIST);
    std::vector<std::string> listed = RemoteListTexts(processes);
    CHECK(std::count(listed.begin(), listed.end(), testing::ProgramFileName()) == 1);
    CHECK(::SendMessageW(processes, LB_GETCURSEL, 0, 0) == 0);
    CHECK(::IsWindowEnabled(program.Item(IDC_REFRESH)));

    // A process started later shows only after Refresh.
    Program second(testing::ProgramPath());
    listed = RemoteListTexts(processes);
    CHECK(std::count(listed.begin(), listed.end(), testing::ProgramFileName()) == 1);
    ::SendMessageW(processes, LB_SETCURSEL, 3, 0);
    program.Click(IDC_REFRESH);
    listed = RemoteListTexts(processes);
    CHECK(std::count(listed.begin(), listed.end(), testing::ProgramFileName()) == 2);
    CHECK(::SendMessageW(processes, LB_GETCURSEL, 0, 0) == 0);

    // Selecting the program's own entry lists its modules, never its executable.
    int own = static_cast<int>(std::find(listed.begin(), listed.end(), testing::ProgramFileName()) - listed.begin());
    program.SelectProcess(own);
    std::vector<std::string> moduleNames = RemoteListTexts(modules);
    CHECK(std::count(moduleNames.begin(), moduleNames.end(), "user32.dll") +
          std::count(moduleNames.begin(), moduleNames.end(), "USER32.dll") == 1);
    CHECK(std::count(moduleNames.begin(), moduleNames.end(), testing::ProgramFileName()) == 0);
    CHECK(std::is_sorted(moduleNames.begin(), moduleNames.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }));
}

TEST_CASE("run as a Windows 98 program it lists through tool-help, without the snapshot's first process")
{
    // Wine reports the platform per executable name.
    ProgramCopy copy("QuendrixW98.exe", "", "Version", "win98");
    std::vector<testing::SnapshotProcess> before = testing::SnapshotProcesses();
    Program program(copy.path);
    std::vector<std::string> listed = RemoteListTexts(program.Item(IDC_PROCESS_LIST));
    std::vector<testing::SnapshotProcess> after = testing::SnapshotProcesses();
    // Such a listing is made again, by Refresh; the third is judged whatever it shows.
    for (int attempt = 1; attempt < 3 && !OnlyKnownNames(listed, before, after); ++attempt) {
        before = testing::SnapshotProcesses();
        program.Click(IDC_REFRESH);
        listed = RemoteListTexts(program.Item(IDC_PROCESS_LIST));
        after = testing::SnapshotProcesses();
    }
    CheckShownBetween(listed, before, after);
    CHECK(::IsWindowEnabled(program.Item(IDC_REFRESH)));
    program.Click(IDCANCEL);
    CHECK(program.WaitForExit(10000) == 0);
}

TEST_CASE("without psapi.dll the dialog opens with empty lists and Refresh disabled, silently")
{
    ProgramCopy copy("QuendrixNoPsapi.exe", "\\DllOverrides", "psapi", "");
    Program program(copy.path);
    CHECK_FALSE(::IsWindowEnabled(program.Item(IDC_REFRESH)));
    CHECK(::SendMessageW(program.Item(IDC_PROCESS_LIST), LB_GETCOUNT, 0, 0) == 0);
    CHECK(::SendMessageW(program.Item(IDC_MODULE_LIST), LB_GETCOUNT, 0, 0) == 0);
    // No message box: the dialog is the program's only visible top-level window once the
    // program has handled all that came before a command of the system menu, whose About box
    // then shows as the second one (a box shown before it would hold it back).
    auto shown = [&] {
        std::vector<HWND> windows;
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == program.Id() && ::IsWindowVisible(w))
                windows.push_back(w);
        }
        return windows;
    };
    ::PostMessageW(program.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    REQUIRE(testing::WaitFor([&] { return shown().size() > 1; }));
    const std::vector<HWND> windows = shown();
    REQUIRE(windows.size() == 2);
    HWND about = windows[0] == program.Dialog() ? windows[1] : windows[0];
    CHECK(testing::WindowText(about) == "About Quendrix");
    ::SendMessageW(::GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    CHECK(testing::WaitFor([&] { return shown().size() == 1; }));
    program.Click(IDCANCEL);
    CHECK(program.WaitForExit(10000) == 0);
}

TEST_CASE("a right click on another process lists that process's modules before its menu opens")
{
    Program program(testing::ProgramPath());
    HWND processes = program.Item(IDC_PROCESS_LIST);
    HWND modules = program.Item(IDC_MODULE_LIST);
    char exe[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    // This test process, whose modules are known here, is not the one selected at the start.
    const int self = testing::RemoteFindEntry(processes, DisplayNameOf(exe).GetString());
    REQUIRE(self >= 0);
    REQUIRE(::SendMessageW(processes, LB_GETCURSEL, 0, 0) != self);
    const std::multiset<std::string> own = testing::OwnModuleNames();
    REQUIRE(Listed(modules) != own);

    auto menu = [&] { return testing::FindVisibleWindow(program.Id(), "#32768"); };
    auto dismiss = [&] {
        testing::Xdo("key Escape");
        REQUIRE(testing::WaitFor([&] { return menu() == nullptr; }));
    };
    const RECT row = testing::RemoteRowOnScreen(processes, self);
    testing::ClickAt(POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2}, 3);
    REQUIRE(testing::WaitFor([&] { return menu() != nullptr; }));
    CHECK(::SendMessageW(processes, LB_GETCURSEL, 0, 0) == self);
    CHECK(Listed(modules) == own);
    dismiss();
    CHECK(Listed(modules) == own);

    // The module list's own right click selects a module and changes nothing else.
    const std::vector<std::string> listed = RemoteListTexts(modules);
    const RECT moduleRow = testing::RemoteRowOnScreen(modules, 1);
    testing::ClickAt(POINT{moduleRow.left + 10, (moduleRow.top + moduleRow.bottom) / 2}, 3);
    REQUIRE(testing::WaitFor([&] { return menu() != nullptr; }));
    CHECK(::SendMessageW(modules, LB_GETCURSEL, 0, 0) == 1);
    CHECK(::SendMessageW(processes, LB_GETCURSEL, 0, 0) == self);
    CHECK(RemoteListTexts(modules) == listed);
    dismiss();
    program.Click(IDCANCEL);
    CHECK(program.WaitForExit(10000) == 0);
}
