// The console program end to end: started as a process of its own with its output in files,
// compared with the system's own snapshots, with the dialog's report, and with the files it
// copies.
#include <doctest/doctest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include <tlhelp32.h>

#include "controls/DisplayName.h"
#include "export/Fixtures.h"
#include "framework/WinApp.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

#define QUENDRIX_TEXT(name) #name
#define QUENDRIX_NAME(name) QUENDRIX_TEXT(name)

namespace {

CWinApp g_app("CliTest");

using testing::CTestViewerDlg;

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0],
                                                          static_cast<int>(wide.size())) - 1));
    return wide;
}

struct Run {
    long exit;
    std::string out, err;
    DWORD id;
};

// Runs the console program with `arguments` (UTF-8); its output goes to `outFile`, or to a file
// of the test's own that is read back.
Run Cli(const std::string& arguments, const std::string& outFile = "")
{
    static int runs = 0;
    const std::string folder = fixtures::FreshTempFolder("quendrix-cli-run");
    const std::string out = outFile.empty() ? folder + "out" + std::to_string(++runs) : outFile;
    const std::string err = folder + "err" + std::to_string(runs);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outHandle = ::CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE errHandle = ::CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(outHandle != INVALID_HANDLE_VALUE);
    REQUIRE(errHandle != INVALID_HANDLE_VALUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outHandle;
    startup.hStdError = errHandle;
    std::wstring command = L"\"" + Wide(testing::ExeDirectory()) + L"..\\" QUENDRIX_NAME(QUENDRIX_CLI_PROGRAM) L".exe\" " +
                           Wide(arguments);
    PROCESS_INFORMATION info{};
    // Detached: a console of its own would come with a console host process that ends with it.
    REQUIRE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                             &startup, &info));
    ::CloseHandle(outHandle);
    ::CloseHandle(errHandle);
    REQUIRE(::WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return {static_cast<long>(code), outFile.empty() ? testing::FileContent(out) : "", testing::FileContent(err), info.dwProcessId};
}

// The rows of CSV output without its heading, split at commas outside quotes.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv)
{
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < csv.size(); ++i) {
        char c = csv[i];
        if (quoted && c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (!quoted && c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back();  // after the last line end
    rows.erase(rows.begin());
    return rows;
}

std::set<DWORD> Column0(const std::string& csv)
{
    std::set<DWORD> ids;
    for (const auto& row : CsvRows(csv))
        ids.insert(static_cast<DWORD>(std::strtoul(row.at(0).c_str(), nullptr, 10)));
    return ids;
}

// Whether the tool-help snapshot of process `id` lists `module`, 32-bit modules of a 32-bit
// process included when the test is 64-bit.
bool HasModule(DWORD id, const char* module)
{
    bool has = false;
    HANDLE modules = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, id);
    MODULEENTRY32 m{};
    m.dwSize = sizeof m;
    for (BOOL more = ::Module32First(modules, &m); more && !has; more = ::Module32Next(modules, &m))
        has = ::lstrcmpiA(m.szModule, module) == 0;
    ::CloseHandle(modules);
    return has;
}

// The system's own view: every process of a tool-help snapshot, or only those that have
// `module` loaded.
std::set<DWORD> SnapshotIds(const char* module = nullptr)
{
    std::set<DWORD> ids;
    for (const testing::SnapshotProcess& process : testing::SnapshotProcesses())
        if (!module || HasModule(process.id, module))
            ids.insert(process.id);
    return ids;
}

// Whether every process that a listing shows is in either snapshot, or is the listing program
// itself: a process born and gone between the snapshots is in neither.
bool OnlyKnown(const std::set<DWORD>& listed, const std::set<DWORD>& runningBefore, const std::set<DWORD>& runningAfter,
               DWORD lister)
{
    for (DWORD id : listed)
        if (!runningBefore.count(id) && !runningAfter.count(id) && id != lister)
            return false;
    return true;
}

// What a listing shows against the system's snapshots taken before and after it: every process
// that both `before` and `after` hold is listed, and nothing is that neither of `runningBefore`
// and `runningAfter` holds, but the listing program itself.
void CheckAgainstSnapshots(const std::set<DWORD>& listed, const std::set<DWORD>& before, const std::set<DWORD>& after,
                           const std::set<DWORD>& runningBefore, const std::set<DWORD>& runningAfter, DWORD lister)
{
    for (DWORD id : before)
        if (after.count(id))
            CHECK_MESSAGE(listed.count(id) == 1, "process " << id << " is missing");
    CHECK_MESSAGE(OnlyKnown(listed, runningBefore, runningAfter, lister), "a process is in no snapshot");
}

std::string OwnName()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DisplayNameOf(path).GetString();
}

std::string Own()
{
    return std::to_string(::GetCurrentProcessId());
}

// A folder on the 1 MB volume that script/test mounts, filled to the last byte.
struct FullVolume {
    std::string folder, filler;
    FullVolume()
    {
        const char* volume = std::getenv("QUENDRIX_SMALL_VOLUME");
        REQUIRE_MESSAGE(volume != nullptr, "QUENDRIX_SMALL_VOLUME is not set: run the tests through script/test");
        folder = std::string(volume) + "\\cli-" + Own();
        REQUIRE(::CreateDirectoryA(folder.c_str(), nullptr));
        filler = folder + "\\filler";
        std::ofstream(folder + "\\kept.txt", std::ios::binary) << "there before";
        std::ofstream out(filler, std::ios::binary);
        out << std::string(2 * 1024 * 1024, 'f');
    }
    ~FullVolume()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
            ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
        ::FindClose(search);
        ::RemoveDirectoryA(folder.c_str());
    }
    // The names in the folder but the filler.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::string(found.cFileName) != "filler")
                names.insert(found.cFileName);
        ::FindClose(search);
        return names;
    }
};

}  // namespace

TEST_CASE("processes lists what the system's snapshots show before and after")
{
    std::set<DWORD> before, after;
    Run run;
    // A listing that shows a process of neither snapshot is made again; the third is judged.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        before = SnapshotIds();
        run = Cli("processes --csv");
        after = SnapshotIds();
        if (OnlyKnown(Column0(run.out), before, after, run.id))
            break;
    }
    REQUIRE(run.exit == 0);
    CHECK(run.out.rfind("id,name,path\r\n", 0) == 0);
    CheckAgainstSnapshots(Column0(run.out), before, after, before, after, run.id);
    char own[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    bool found = false;
    for (const auto& row : CsvRows(run.out))
        if (row.at(0) == Own())
            found = row.at(1) == OwnName() && row.at(2) == fixtures::Ansi(own);
    CHECK(found);

    // The same table for eyes and as JSON.
    Run text = Cli("processes");
    CHECK(text.out.find(Own() + "  " + OwnName()) != std::string::npos);
    Run json = Cli("processes --json");
    CHECK(json.out.rfind("[\r\n  {\"id\": ", 0) == 0);
    CHECK(json.out.find("{\"id\": " + Own() + ", \"name\": \"" + OwnName() + "\", \"path\": \"") != std::string::npos);
}

// Run by its own test entry, which shows the dialog and so takes the display.
TEST_CASE("report writes the very bytes that the dialog's save writes for the same process" * doctest::skip())
{
    std::string folder = fixtures::FreshTempFolder("quendrix-cli-report");
    std::string fromDialog = folder + "dialog.txt";
    CTestViewerDlg dialog;
    testing::RunAsMainWindow(dialog, [&] {
        REQUIRE(testing::SelectEntryById(dialog.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
        dialog.WriteModuleReport(fromDialog.c_str());
    });
    std::string expected = testing::FileContent(fromDialog);
    REQUIRE(expected.rfind("Module zum Prozess: " + OwnName() + "\r\n\r\n", 0) == 0);

    Run run = Cli("report " + Own());
    CHECK(run.exit == 0);
    CHECK(run.out == expected);

    // Into a file, which is never replaced unless asked to.
    std::string file = folder + "report.txt";
    CHECK(Cli("report " + OwnName() + " --output \"" + file + "\"").exit == 0);
    CHECK(testing::FileContent(file) == expected);
    std::ofstream(file, std::ios::binary) << "kept";
    Run refused = Cli("report " + Own() + " --output \"" + file + "\"");
    CHECK(refused.exit == 2);
    CHECK(refused.err.find("exists; --force replaces it") != std::string::npos);
    CHECK(testing::FileContent(file) == "kept");
    CHECK(Cli("report " + Own() + " --output \"" + file + "\" --force").exit == 0);
    CHECK(testing::FileContent(file) == expected);
}

TEST_CASE("copy copies every module once and never overwrites; the second run reports each file")
{
    std::string folder = fixtures::FreshTempFolder("quendrix-cli-copy");
    folder.pop_back();
    std::vector<std::string> modules = testing::OwnModulePaths();
    REQUIRE(modules.size() > 5);

    Run first = Cli("copy " + Own() + " \"" + folder + "\"");
    CHECK(first.exit == 0);
    CHECK(first.out == "All Modules used by " + OwnName() + " copied in " + folder + "\r\n");
    for (const std::string& module : modules)
        CHECK_MESSAGE(testing::FileContent(folder + "\\" + DisplayNameOf(module.c_str()).GetString()) == testing::FileContent(module), module);

    std::ofstream(folder + "\\" + DisplayNameOf(modules[0].c_str()).GetString(), std::ios::binary) << "changed";
    Run second = Cli("copy " + Own() + " \"" + folder + "\"");
    CHECK(second.exit == 1);
    size_t lines = 0;
    for (size_t at = second.out.find(": a file of that name is already in the folder\r\n"); at != std::string::npos;
         at = second.out.find(": a file of that name is already in the folder\r\n", at + 1))
        ++lines;
    CHECK(lines == modules.size());
    CHECK(second.out.find(std::to_string(modules.size()) + " of the Files used by " + OwnName() +
                          " couldn't be copied\r\n Check if " + folder +
                          " doesn't already contain any of the files to be copied\r\n") != std::string::npos);
    CHECK(testing::FileContent(folder + "\\" + DisplayNameOf(modules[0].c_str()).GetString()) == "changed");
}

TEST_CASE("find names every process that the snapshots show with the module")
{
    std::set<DWORD> runningBefore, before, after, runningAfter;
    Run run;
    // A listing that shows a process of neither snapshot is made again; the third is judged.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        runningBefore = SnapshotIds();
        before = SnapshotIds("kernel32.dll");
        run = Cli("find kernel32.dll --csv");
        after = SnapshotIds("kernel32.dll");
        runningAfter = SnapshotIds();
        if (OnlyKnown(Column0(run.out), runningBefore, runningAfter, run.id))
            break;
    }
    REQUIRE(run.exit == 0);
    CHECK(run.out.rfind("id,process,path,version\r\n", 0) == 0);
    CheckAgainstSnapshots(Column0(run.out), before, after, runningBefore, runningAfter, run.id);
    for (const auto& row : CsvRows(run.out)) {
        CHECK(::lstrcmpiA(DisplayNameOf(row.at(2).c_str()), "kernel32.dll") == 0);
        CHECK_FALSE(row.at(3).empty());
    }

    // Wildcards and full paths find this process too; a name nothing has, nothing.
    std::string kernel32;
    for (const std::string& module : testing::OwnModulePaths())
        if (::lstrcmpiA(DisplayNameOf(module.c_str()), "kernel32.dll") == 0)
            kernel32 = module;
    for (const std::string& pattern : {std::string("KERNEL3?.*"), std::string("*nel32.d*"), kernel32}) {
        CAPTURE(pattern);
        CHECK(Column0(Cli("find \"" + pattern + "\" --csv").out).count(::GetCurrentProcessId()) == 1);
    }
    Run none = Cli("find \"no such module*.dll\" --json");
    CHECK(none.exit == 0);
    CHECK(none.out == "[]\r\n");
}

TEST_CASE("bad input ends in one clear message and the stated exit status, changing nothing")
{
    // Two processes of one program name.
    std::string sleeper = testing::ExeDirectory() + "..\\bench\\sleeper.exe";
    PROCESS_INFORMATION sleepers[2]{};
    for (PROCESS_INFORMATION& info : sleepers) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + sleeper + "\"";
        REQUIRE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    }
    std::string folder = fixtures::FreshTempFolder("quendrix-cli-bad");
    std::string longFolder = folder + std::string(260, 'l');
    struct Case {
        std::string arguments;
        long exit;
        std::string message;
    } cases[] = {
        {"", 2, "no command given"},
        {"bogus", 2, "unknown command bogus"},
        {"modules", 2, "modules: missing operands"},
        {"processes --output x", 2, "only report takes --output"},
        {"report 1 --force", 2, "--force goes with --output"},
        {"copy 1 --csv", 2, "copy: missing operands"},
        {"copy 1 x --json", 2, "copy takes neither --csv nor --json"},
        {"modules 4294967295", 2, "no process has the id 4294967295"},
        {"modules no-such-program.exe", 2, "no process is named \"no-such-program.exe\""},
        {"modules sleeper.exe", 2,
         "2 processes are named \"sleeper.exe\": " + std::to_string(std::min(sleepers[0].dwProcessId, sleepers[1].dwProcessId)) +
             ", " + std::to_string(std::max(sleepers[0].dwProcessId, sleepers[1].dwProcessId)) + "; name one by its id"},
        {"copy " + Own() + " \"" + folder + "missing\"", 2, "there is no such folder"},
        {"copy " + Own() + " Z:\\proc", 2, "cannot copy into \"Z:\\proc\""},
        {"copy " + Own() + " \"" + longFolder + "\"", 2, "its path is too long"},
        {"report " + Own() + " --output \"" + longFolder + "\"", 2, "260 characters or more"},
        {"copy " + Own() + " \"" + folder + testing::CharacterOutsideCodePage() + "\"", 2, "cannot represent"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.arguments);
        Run run = Cli(c.arguments);
        CHECK(run.exit == c.exit);
        CHECK(run.out.empty());
        CHECK(run.err.rfind("QuendrixCli: ", 0) == 0);
        CHECK_MESSAGE(run.err.find(c.message) != std::string::npos, run.err);
    }
    for (PROCESS_INFORMATION& info : sleepers) {
        ::TerminateProcess(info.hProcess, 0);
        ::WaitForSingleObject(info.hProcess, 10000);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    CHECK(::GetFileAttributesA((folder + "missing").c_str()) == INVALID_FILE_ATTRIBUTES);

    // A name in the ANSI code page is taken as it is.
    std::string inCodePage = folder + "Ziel" + testing::CharacterInCodePage();
    REQUIRE(::CreateDirectoryA(fixtures::Ansi(inCodePage).c_str(), nullptr));
    CHECK(Cli("copy " + Own() + " \"" + inCodePage + "\"").exit == 0);

    // A full disk: no report file, no broken copy, and what was there stays; output that cannot
    // be written is refused too.
    FullVolume full;
    std::string report = full.folder + "\\report.txt", kept = full.folder + "\\kept.txt";
    Run refused = Cli("report " + Own() + " --output \"" + report + "\"");
    CHECK(refused.exit == 2);
    Run replaced = Cli("report " + Own() + " --output \"" + kept + "\" --force");
    CHECK(replaced.exit == 2);
    CHECK(replaced.err.rfind("QuendrixCli: cannot write \"" + kept + "\": ", 0) == 0);
    Run copied = Cli("copy " + Own() + " \"" + full.folder + "\"");
    CHECK(copied.exit != 0);
    CHECK(full.Names() == std::set<std::string>{"kept.txt"});
    CHECK(testing::FileContent(kept) == "there before");
    Run unwritten = Cli("processes", full.folder + "\\out.txt");
    CHECK(unwritten.exit == 2);
    CHECK(unwritten.err.rfind("QuendrixCli: cannot write the output: ", 0) == 0);
}
