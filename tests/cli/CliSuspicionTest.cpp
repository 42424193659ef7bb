// The console program's suspect, end to end: a copy of a system DLL beside a program in a temporary
// folder, a private DLL beside a program in a program folder, lists of expected locations good and
// bad, and every process of the system, whose own programs have nothing found.
#include <doctest/doctest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <windows.h>
#include <shlobj.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

// A folder that the test makes, removed with its files when its owner goes; declared before the
// processes that run from it, which have ended by then.
class OwnFolder {
public:
    explicit OwnFolder(const std::wstring& path) : m_path(path + L"\\")
    {
        Remove();
        REQUIRE_MESSAGE(::CreateDirectoryW(path.c_str(), nullptr), Utf8(path));
    }
    ~OwnFolder() { Remove(); }
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Copies `from` into the folder as `name`; the copy's path.
    std::wstring Copy(const std::wstring& from, const std::wstring& name) const
    {
        REQUIRE_MESSAGE(::CopyFileW(from.c_str(), (m_path + name).c_str(), TRUE), Utf8(from));
        return m_path + name;
    }
    std::string Write(const std::wstring& name, const std::string& bytes) const
    {
        fixtures::WriteBytes(Utf8(m_path + name), bytes);
        return Utf8(m_path + name);
    }

private:
    void Remove() const
    {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((m_path + L"*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found))
            ::DeleteFileW((m_path + found.cFileName).c_str());
        if (search != INVALID_HANDLE_VALUE)
            ::FindClose(search);
        ::RemoveDirectoryW(m_path.c_str());
    }

    std::wstring m_path;
};

std::wstring Lowered(std::wstring text)
{
    ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A folder that the system names, in its long form, without a backslash at its end.
std::wstring SystemFolder(UINT (WINAPI* named)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = L"";
    named(folder, MAX_PATH);
    return folder;
}
std::wstring TempFolder()
{
    wchar_t temp[MAX_PATH] = L"", full[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    ::GetLongPathNameW(temp, full, MAX_PATH);
    std::wstring folder = full;
    return folder.substr(0, folder.size() - 1);
}

using Rows = std::vector<std::vector<std::string>>;

// A program started from `folder` holding the library `dll` there, once it has loaded it: this
// tree's library_holder.exe, or the one in the folder `built`.
struct Holding {
    testing::StartedProcess process;
    Holding(const OwnFolder& folder, const std::wstring& dll, const std::wstring& built = Wide(testing::ExeDirectory()))
        : process(L"\"" + folder.Copy(built + L"library_holder.exe", L"library_holder.exe") + L"\" \"" + folder.Path() +
                  dll + L"\"")
    {
        REQUIRE_MESSAGE(testing::PumpUntil([&] { return HasModule(process.Id(), Utf8(dll).c_str()); }, 20000),
                        "the program did not load " << Utf8(dll));
    }
    // The rows of suspect's CSV output on this process; with `walk`, on every process, the other
    // processes' rows left out.
    Rows Suspect(const std::string& options, long exit, bool walk = false)
    {
        Run run = walk ? CliAllRead("suspect --csv " + options)
                       : Cli("suspect " + std::to_string(process.Id()) + " --csv " + options);
        CHECK_MESSAGE(run.exit == exit, run.err);
        CHECK(CsvHeading(run.out) == "id,process,path,finding,severity,reason,file_version");
        Rows own;
        for (auto& row : CsvRows(run.out))
            if (row.at(0) == std::to_string(process.Id()))
                own.push_back(row);
        return own;
    }
};

// Rows as path, finding and severity, in order, and all their cells for a message.
using Finding = std::tuple<std::string, std::string, std::string>;
std::vector<Finding> Findings(const Rows& rows)
{
    std::vector<Finding> findings;
    for (const auto& row : rows)
        findings.emplace_back(row.at(2), row.at(3), row.at(4));
    return findings;
}
std::string Shown(const Rows& rows)
{
    std::string text;
    for (const auto& row : rows)
        for (const std::string& cell : row)
            text += cell + (&cell == &row.back() ? "\n" : " | ");
    return text;
}

}  // namespace

TEST_CASE("suspect names a copy of a system DLL beside a program in a temporary folder, and where a list puts it")
{
    const OwnFolder folder(TempFolder() + L"\\quendrix-suspect." + Wide(Own()));
    // Wine maps its own builtin for a copy of one of its DLLs, but names the module by the copy's
    // path, which is what suspect judges; told to load the file itself ("msimg32=n"), it refuses
    // a copy of a builtin (measured). Windows loads the copy.
    folder.Copy(SystemFolder(::GetSystemDirectoryW) + L"\\msimg32.dll", L"msimg32.dll");
    Holding holder(folder, L"msimg32.dll");
    const std::string exe = Utf8(folder.Path() + L"library_holder.exe"), dll = Utf8(folder.Path() + L"msimg32.dll");

    const Rows found = holder.Suspect("", 1);
    CHECK_MESSAGE((Findings(found) == std::vector<Finding>{{dll, "side-load", "high"},
                                                            {exe, "drop-folder", "medium"},
                                                            {dll, "drop-folder", "medium"}}),
                  Shown(found));
    REQUIRE(found.size() == 3);
    CHECK(found[0].at(1) == "library_holder.exe");
    CHECK_MESSAGE(found[0].at(5).find(Utf8(Lowered(SystemFolder(::GetSystemDirectoryW) + L"\\msimg32.dll"))) !=
                      std::string::npos, found[0].at(5));
    CHECK_MESSAGE(found[1].at(5).find("the user's temporary folder") != std::string::npos, found[1].at(5));

#ifdef _WIN64
    {
        // A 32-bit program's copy of its own system folder's DLL: the 32-bit tree's holder.
        const char* x86 = std::getenv("QUENDRIX_X86_BUILD");
        REQUIRE_MESSAGE(x86 != nullptr, "QUENDRIX_X86_BUILD names no 32-bit build tree");
        const OwnFolder folder32(TempFolder() + L"\\quendrix-suspect32." + Wide(Own()));
        const std::wstring wow64 = SystemFolder(::GetSystemWow64DirectoryW);
        folder32.Copy(wow64 + L"\\msimg32.dll", L"msimg32.dll");
        Holding holder32(folder32, L"msimg32.dll", Wide(x86) + L"\\tests\\");
        // Judged in the walk of every process, which tells each process's bitness by itself.
        const Rows rows32 = holder32.Suspect("--min high", 1, true);
        REQUIRE_MESSAGE(rows32.size() == 1, Shown(rows32));
        CHECK(rows32[0].at(3) == "side-load");
        CHECK_MESSAGE(rows32[0].at(5).find(Utf8(Lowered(wow64 + L"\\msimg32.dll"))) != std::string::npos,
                      rows32[0].at(5));
    }
#endif

    // Where the list puts both: the program in any one folder of the temporary folder, the DLL in
    // the system folder only.
    const std::string list = folder.Write(L"expected.csv", "name,location\r\nmsimg32.dll,%SYSTEM32%\r\n"
                                                           "library_holder.exe,\"" +
                                                               Utf8(TempFolder()) + "\\%VERSION%\"\r\n");
    const Rows placed = holder.Suspect("--min high --expected \"" + list + "\"", 1);
    CHECK_MESSAGE((Findings(placed) == std::vector<Finding>{{dll, "side-load", "high"}, {dll, "not-expected", "high"}}),
                  Shown(placed));
    REQUIRE(placed.size() == 2);
    CHECK(placed[1].at(5) == "the list expects it in %SYSTEM32%");

    // A list with a bad line is named with the line, and nothing is judged.
    const std::string bad = folder.Write(L"bad.csv", "msimg32.dll,%SYSTEM32%\nversion.dll,\"%SYSTEM32%\n");
    Run refused = Cli("suspect --expected \"" + bad + "\"");
    CHECK(refused.exit == 2);
    CHECK(refused.out.empty());
    CHECK_MESSAGE(refused.err.find(bad + "\", line 2: a quoted field is not closed") != std::string::npos, refused.err);
    Run missing = Cli("suspect --expected \"" + Utf8(folder.Path()) + "none.csv\"");
    CHECK(missing.exit == 2);
    CHECK_MESSAGE(missing.err.find("none.csv\" cannot be read") != std::string::npos, missing.err);
}

TEST_CASE("suspect finds nothing of a program with its private DLL in a program folder, but a renamed one at low")
{
    wchar_t programs[MAX_PATH] = L"";
    REQUIRE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programs)));
    const OwnFolder folder(std::wstring(programs) + L"\\QuendrixSuspect." + Wide(Own()));
    folder.Copy(Wide(fixtures::Directory()) + L"fx_original.dll", L"private.dll");
    Holding holder(folder, L"private.dll");

    CHECK(holder.Suspect("", 0).empty());
    const Rows low = holder.Suspect("--min low", 1);
    CHECK_MESSAGE((Findings(low) == std::vector<Finding>{{Utf8(folder.Path() + L"private.dll"), "renamed", "low"}}),
                  Shown(low));
    REQUIRE(low.size() == 1);
    CHECK(low[0].at(5) == "its version resource names it \"original.dll\"");
    CHECK(low[0].at(6) == "3.2.1.0");
}

TEST_CASE("suspect finds nothing at its default severity in the system's own programs, nor in this test")
{
    using PfnImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, DWORD*);
    const auto imageName = reinterpret_cast<PfnImageName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW")));
    const bool bound = imageName != nullptr;
    REQUIRE(bound);
    const std::wstring windows = Lowered(SystemFolder(::GetWindowsDirectoryW)) + L"\\";
    // Whether the program of process `id` lies in the Windows folder, as the system names it.
    const auto systemProgram = [&](DWORD id) {
        HANDLE process = ::OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, id);
        wchar_t path[MAX_PATH] = L"";
        DWORD size = MAX_PATH;
        const bool named = process && imageName(process, 0, path, &size);
        if (process)
            ::CloseHandle(process);
        return named && Lowered(path).compare(0, windows.size(), windows) == 0;
    };
    size_t systemPrograms = 0;
    for (const testing::SnapshotProcess& process : testing::SnapshotProcesses())
        systemPrograms += systemProgram(process.id);
    REQUIRE_MESSAGE(systemPrograms > 0, "no program of the Windows folder runs");

    Run all = CliAllRead("suspect --csv");
    CHECK_MESSAGE((all.exit == 0 || all.exit == 1), all.err);
    for (const auto& row : CsvRows(all.out)) {
        const DWORD id = std::stoul(row.at(0));
        CHECK_MESSAGE(!systemProgram(id),
                      "a program of the system's: " << row.at(1) << " " << row.at(2) << " " << row.at(3));
        CHECK_MESSAGE(id != ::GetCurrentProcessId(), "this test: " << row.at(2) << " " << row.at(3));
    }
}
