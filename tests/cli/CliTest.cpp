// The console program end to end: started as a process of its own with its output in files,
// compared with the system's own snapshots, with the dialog's report, and with the files it
// copies.
#include <doctest/doctest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include <tlhelp32.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "framework/Handles.h"
#include "paths/DisplayName.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

using namespace clitest;

namespace {

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
    CHECK(CsvHeading(run.out) == "id,name,bits,path");
    CheckAgainstSnapshots(Column0(run.out), before, after, before, after, run.id);
    wchar_t own[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::string bits = std::to_string(8 * sizeof(void*));
    bool found = false;
    for (const auto& row : CsvRows(run.out))
        if (row.at(0) == Own())
            found = row.at(1) == OwnName() && row.at(2) == bits && row.at(3) == Utf8(own);
    CHECK(found);

    // The same table for eyes, without its heading, and as JSON.
    Run text = Cli("processes --no-header");
    CHECK(text.out.find(Own() + "  " + OwnName()) != std::string::npos);
    // Without its heading the first line is already a process: its id, right-aligned.
    const std::string first = text.out.substr(0, text.out.find("\r\n"));
    const size_t idStart = first.find_first_not_of(' ');
    CHECK((idStart != std::string::npos && std::isdigit(static_cast<unsigned char>(first[idStart]))));
    Run json = Cli("processes --json");
    CHECK(json.out.rfind("[\r\n  {\"id\": ", 0) == 0);
    CHECK(json.out.find("{\"id\": " + Own() + ", \"name\": \"" + OwnName() + "\", \"bits\": " + bits + ", \"path\": \"") !=
          std::string::npos);
}

TEST_CASE("report writes the very bytes that the dialog's save writes for the same process" * doctest::test_suite(kShowsDialog) * doctest::skip())
{
    std::string folder = fixtures::FreshTempFolder("quendrix-cli-report");
    // Three modules of one file name from three folders, one without a version resource: the
    // list box places equal names by its own search, which the report must follow.
    struct Twins {
        std::vector<HMODULE> loaded;
        ~Twins()
        {
            for (HMODULE module : loaded)
                ::FreeLibrary(module);
        }
    } twins;
    for (const char* fixture : {"fx_full.dll", "fx_none.dll", "fx_product.dll"}) {
        std::string twin = folder + fixture + "-twin";
        REQUIRE(::CreateDirectoryA(twin.c_str(), nullptr));
        twin += "\\twin.dll";
        REQUIRE(::CopyFileA((fixtures::Directory() + fixture).c_str(), twin.c_str(), TRUE));
        twins.loaded.push_back(::LoadLibraryA(twin.c_str()));
        REQUIRE(twins.loaded.back() != nullptr);
    }
    // A module whose ANSI path the code page bends into another file's: "d\x\..\..\bent.dll".
    REQUIRE_MESSAGE(::GetACP() == 1252, "this test needs the ANSI code page 1252; script/test sets it");
    REQUIRE(::CreateDirectoryA((folder + "d").c_str(), nullptr));
    REQUIRE(::CopyFileA((fixtures::Directory() + "fx_product.dll").c_str(), (folder + "bent.dll").c_str(), TRUE));
    const std::wstring bent = L"\\\\?\\" + Wide(folder) + L"d\\x\xFF3C..\xFF3C..\xFF3C" L"bent.dll";
    REQUIRE(::CopyFileW(Wide(fixtures::Directory() + "fx_desc.dll").c_str(), bent.c_str(), TRUE));
    twins.loaded.push_back(::LoadLibraryW(bent.c_str()));
    REQUIRE(twins.loaded.back() != nullptr);
    Reports reports = DialogAndConsoleReports(folder);
    const std::string& expected = reports.dialog;
    const Run& run = reports.console;
    REQUIRE(expected.rfind("Module zum Prozess: " + OwnName() + "\r\n\r\n", 0) == 0);
    size_t twinLines = 0;
    for (size_t at = expected.find("\\twin.dll\t"); at != std::string::npos; at = expected.find("\\twin.dll\t", at + 1))
        ++twinLines;
    REQUIRE(twinLines == 3);
    CHECK(expected.find(folder + "fx_none.dll-twin\\twin.dll\t(V1.123)\r\n") != std::string::npos);
    CHECK(expected.find(folder + "d\\x\\..\\..\\bent.dll\t(Vunknown)\r\n") != std::string::npos);
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

TEST_CASE("report, copy and diff of a process need no display" * doctest::skip())
{
    // Its ctest entry starts it without DISPLAY, which Wine's programs find their display by,
    // and its children inherit that: a window that needs a display is refused.
    HWND popup = ::CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (popup)
        ::DestroyWindow(popup);
    REQUIRE_MESSAGE(popup == nullptr, "this case runs without a display; its ctest entry starts it so");
    const std::string folder = testing::FreshFolder("quendrix-cli-no-display");
    Run report = Cli("report " + Own());
    CHECK(report.exit == 0);
    CHECK(report.out.rfind("Module zum Prozess: " + OwnName() + "\r\n\r\n", 0) == 0);
    Run copy = Cli("copy " + Own() + " \"" + folder + "\"");
    CHECK(copy.exit == 0);
    CHECK(copy.out.rfind(folder + "\\QuendrixKit.report.txt\r\n", 0) == 0);
    Run diff = Cli("diff \"" + folder + "\\QuendrixKit.report.txt\" " + Own() + " --json");
    CHECK(diff.exit == 0);
    CHECK(diff.out == "[]\r\n");
}

TEST_CASE("find names every process that the snapshots show with the module, in order")
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
    CHECK(CsvHeading(run.out) == "id,process,path,file_version,product_version,source");
    CheckAgainstSnapshots(Column0(run.out), before, after, runningBefore, runningAfter, run.id);
    DWORD previous = 0;
    for (const auto& row : CsvRows(run.out)) {
        CHECK(::lstrcmpiA(DisplayNameOf(row.at(2).c_str()), "kernel32.dll") == 0);
        CHECK_FALSE(row.at(3).empty());
        CHECK(row.at(5) == "resource");
        DWORD id = static_cast<DWORD>(std::strtoul(row.at(0).c_str(), nullptr, 10));
        CHECK(id >= previous);
        previous = id;
    }

    // A name that nothing has finds nothing, with the status that says so (the forms a module is
    // named in are rows of the engine's tests).
    Run none = CliAllRead("find \"no such module*.dll\" --json");
    CHECK(none.exit == 1);
    CHECK(none.out == "[]\r\n");
}

TEST_CASE("with no process listing, find, stale and wait cannot know, and diff cannot compare a process" *
          doctest::skip())
{
    // Its ctest entry disables psapi.dll, and with it the listing, for the test and its children.
    REQUIRE_MESSAGE(::LoadLibraryA("psapi.dll") == nullptr, "this case runs without psapi.dll; its ctest entry starts it so");
    const std::string report = fixtures::FreshTempFolder("quendrix-cli-unlisted") + "report.txt";
    fixtures::WriteBytes(report, "Module zum Prozess: x.exe\r\n\r\nC:\\a.dll\t(V1.0)\r\n");
    struct Case { std::string arguments; long exit; } cases[] = {
        {"find kernel32.dll", 3}, {"stale", 3}, {"stale " + Own(), 3}, {"wait kernel32.dll --timeout 0", 3},
        {"diff \"" + report + "\" " + Own(), 2},
    };
    for (const Case& c : cases) {
        Run run = Cli(c.arguments);
        CHECK_MESSAGE(run.exit == c.exit, c.arguments);
        CHECK_MESSAGE(run.err == "QuendrixCli: cannot list processes: this system offers no process listing\r\n", run.err);
    }
}

TEST_CASE("bad input ends in one clear message and the stated exit status, changing nothing")
{
    std::string folder = fixtures::FreshTempFolder("quendrix-cli-bad");
    // Two processes of one program (the forms a process is named in are rows of the engine's
    // tests).
    const std::string sleeper = folder + "sleeping-programs\\sleeper.exe";
    REQUIRE(::CreateDirectoryA((folder + "sleeping-programs").c_str(), nullptr));
    REQUIRE(::CopyFileA((testing::ExeDirectory() + "..\\bench\\sleeper.exe").c_str(), sleeper.c_str(), TRUE));
    testing::StartedProcess one(L"\"" + Wide(sleeper) + L"\""), two(L"\"" + Wide(sleeper) + L"\"");
    std::string longFolder = folder + std::string(260, 'l');
    const std::string sleepersNamed = ": " + std::to_string(std::min(one.Id(), two.Id())) + ", " +
                                      std::to_string(std::max(one.Id(), two.Id())) + "; name one by its id";
    // A report that cannot be read: open without sharing while the table runs.
    const std::string locked = folder + "locked.txt";
    fixtures::WriteBytes(locked, "Module zum Prozess: x.exe\r\n\r\nC:\\a.dll\t(V1.0)\r\n");
    KernelHandle lock(::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(lock);
    struct Case {
        std::string arguments;
        long exit;
        std::string message;
    } cases[] = {
        {"", 2, "no command given; try --help"},
        {"bogus", 2, "unknown command bogus; try --help"},
        {"bogus --help", 2, "unknown command bogus; try --help"},
        {"modules", 2, "modules: missing operands (modules PROCESS); try --help"},
        {"processes --output x", 2, "processes takes no --output; try --help"},
        {"find \"\"", 2, "find: the module's name is empty; try --help"},
        {"modules 4294967295", 2, "no process has the id 4294967295"},
        {"modules no-such-program.exe", 2, "no process is named \"no-such-program.exe\""},
        {"modules sleeper.exe", 2, sleepersNamed},
        // Relative to the current folder, which the program is started in.
        {"modules sleeping-programs/SLEEPER", 2, sleepersNamed},
        {"modules sleeping-programs\\sleeper.com", 2, "no process is named \"sleeping-programs\\sleeper.com\""},
        {"copy " + Own() + " \"" + folder + "missing\\below\"", 2, "there is no such folder, nor the folder to make it in"},
        {"copy " + Own() + " Z:\\proc", 2, "cannot copy into \"Z:\\proc\""},
        {"copy " + Own() + " \"" + longFolder + "\"", 2, "cannot make the folder"},
        {"copy " + Own() + " \"" + folder + "\xD0\x96\\below\"", 2, "there is no such folder"},
        {"report " + Own() + " --output \"" + folder.substr(0, folder.size() - 1) + "\"", 2, "is a folder"},
        {"report " + Own() + " --output \"" + longFolder + "\\r.txt\"", 2, "cannot write"},
        {"diff \"" + locked + "\" " + Own(), 2, "cannot read \"" + locked + "\": "},
    };
    {
        testing::CurrentFolder current(folder);
        for (const Case& c : cases) {
            CAPTURE(c.arguments);
            Run run = Cli(c.arguments);
            CHECK(run.exit == c.exit);
            CHECK(run.out.empty());
            CHECK(run.err.rfind("QuendrixCli: ", 0) == 0);
            CHECK_MESSAGE(run.err.find(c.message) != std::string::npos, run.err);
            // One line, not the whole usage.
            CHECK(run.err.find("\r\n") == run.err.size() - 2);
        }
    }
    CHECK(::GetFileAttributesA((folder + "missing").c_str()) == INVALID_FILE_ATTRIBUTES);

    // A folder is named in every character, whatever the ANSI code page holds: the kit lands in
    // it, its report and its list among the copies.
    const std::wstring named = Wide(folder + "Ziel \xC3\xA4 \xD0\x96 \xE6\x97\xA5");
    REQUIRE(::CreateDirectoryW(named.c_str(), nullptr));
    CHECK(Cli("copy " + Own() + " \"" + Utf8(named) + "\"").exit == 0);
    CHECK(testing::FileContent(named + L"\\QuendrixKit.report.txt").rfind("Module zum Prozess: " + OwnName() + "\r\n", 0) == 0);
    CHECK(CsvHeading(testing::FileContent(named + L"\\QuendrixKit.copied.csv")) == "file,outcome,reason,path");
    const std::string module = testing::OwnModulePaths().at(0);
    CHECK(testing::FileContent(named + L"\\" + Wide(DisplayNameOf(module.c_str()).GetString())) ==
          testing::FileContent(module));

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
    CHECK(copied.exit == 1);
    // The summary gives the real reason, as the system words it.
    char diskFull[512] = "";
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DISK_FULL,
                                    0, diskFull, sizeof diskFull, nullptr);
    std::string reason(diskFull, length);
    reason.erase(reason.find_last_not_of("\r\n ") + 1);
    REQUIRE_FALSE(reason.empty());
    CHECK_MESSAGE(copied.err.find("not copied: " + reason) != std::string::npos, copied.err);
    CHECK(copied.err.find("Check if") == std::string::npos);
    CHECK(full.Names() == std::set<std::string>{"kept.txt"});
    CHECK(testing::FileContent(kept) == "there before");
    Run unwritten = Cli("processes", full.folder + "\\out.txt");
    CHECK(unwritten.exit == 2);
    CHECK(unwritten.err.rfind("QuendrixCli: cannot write the output: ", 0) == 0);
}
