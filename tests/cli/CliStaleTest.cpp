// The console program's stale and wait, end to end: a fixture module held by helper processes,
// replaced on disk by another build under one of them, moved away, and let go.
#include <doctest/doctest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "framework/Encoding.h"
#include "query/StaleSearch.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

// A process that the test starts and its owner ends: library_holder.exe holding `dll`, or the
// console program with its standard error in `err`.
class Started {
public:
    Started(std::wstring command, const std::wstring& err = L"") : m_err(err)
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE errFile = err.empty() ? nullptr
                                     : ::CreateFileW(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                     CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = errFile ? STARTF_USESTDHANDLES : 0;
        startup.hStdError = errFile;
        CHECK(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, errFile != nullptr, DETACHED_PROCESS, nullptr,
                               nullptr, &startup, &m_info));
        if (errFile)
            ::CloseHandle(errFile);
    }
    ~Started()
    {
        End();
        ::CloseHandle(m_info.hThread);
        ::CloseHandle(m_info.hProcess);
    }
    DWORD Id() const { return m_info.dwProcessId; }
    std::string Err() const { return testing::FileContent(Utf8(m_err)); }
    void End()
    {
        if (m_info.hProcess && ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_info.hProcess, 0);
            ::WaitForSingleObject(m_info.hProcess, 10000);
        }
    }
    // The exit status once the process ends within `ms`; -1 when it does not.
    long Finish(DWORD ms) const
    {
        DWORD code = 0;
        return ::WaitForSingleObject(m_info.hProcess, ms) == WAIT_OBJECT_0 && ::GetExitCodeProcess(m_info.hProcess, &code)
                   ? static_cast<long>(code) : -1;
    }

private:
    std::wstring m_err;
    PROCESS_INFORMATION m_info{};
};

std::unique_ptr<Started> Holding(const std::wstring& dll)
{
    auto holder = std::make_unique<Started>(L"\"" + ToWide(testing::ExeDirectory()) + L"library_holder.exe\" \"" + dll + L"\"");
    REQUIRE_MESSAGE(testing::PumpUntil([&] { return HasModule(holder->Id(), "stale.dll"); }, 20000),
                    "the helper did not load " << Utf8(dll));
    return holder;
}

// A scratch folder, removed with its files at the end.
struct Scratch {
    const std::wstring folder = ToWide(fixtures::FreshTempFolder("quendrix-stale"));
    ~Scratch()
    {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found))
            ::DeleteFileW((folder + found.cFileName).c_str());
        ::FindClose(search);
        ::RemoveDirectoryW(folder.c_str());
    }
};

// A copy of the console program that Wine runs as a Windows 98 program while its owner lives.
struct Win98Copy {
    const std::wstring name = L"QuendrixCliStale98.exe";
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + name;
    std::wstring path;
    explicit Win98Copy(const std::wstring& folder) : path(folder + name)
    {
        REQUIRE(::CopyFileW(CliProgram().c_str(), path.c_str(), TRUE));
        HKEY settings = nullptr;
        REQUIRE(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &settings,
                                  nullptr) == ERROR_SUCCESS);
        ::RegSetValueExW(settings, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"win98"), sizeof L"win98");
        ::RegCloseKey(settings);
    }
    ~Win98Copy() { ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()); }
};

// The ids and the states in the rows of `stale --csv` output, but those of process `skip`.
std::set<DWORD> Ids(const Run& run, DWORD skip = 0)
{
    std::set<DWORD> ids = Column0(run.out);
    ids.erase(skip);
    return ids;
}
std::set<std::string> States(const Run& run, DWORD skip = 0)
{
    std::set<std::string> states;
    for (const auto& row : CsvRows(run.out))
        if (row.at(0) != std::to_string(skip))
            states.insert(row.at(3));
    return states;
}

std::string Named(const Started& process)
{
    return std::to_string(process.Id()) + " (library_holder.exe)";
}

// The modules of a running process, as the console program walks them for stale.
ProcessModules Walked(const Started& process)
{
    OSVERSIONINFOA version{};
    BindEnumBackend(version);
    ProcessModules walked{{process.Id(), L"", 0}, ModuleWalk::Listed, {}};
    walked.walk = WalkModules(
        version, process.Id(), FirstEntry::List, [&walked](const ModuleEntry& module) { walked.modules.push_back(module); },
        Capacity::Whole);
    REQUIRE(walked.walk == ModuleWalk::Listed);
    return walked;
}

}  // namespace

TEST_CASE("stale names the processes that run a replaced module; wait waits until none holds it")
{
    Scratch scratch;
    const std::wstring dll = scratch.folder + L"stale.dll", fixtures = ToWide(fixtures::Directory());
    REQUIRE(::CopyFileW((fixtures + L"fx_stale_old.dll").c_str(), dll.c_str(), TRUE));
    auto old = Holding(dll);
    // Another build takes the file's place under the running process, as an update does: the
    // file in use moves aside (Wine refuses to rename another over it), the new one moves in.
    REQUIRE(::CopyFileW((fixtures + L"fx_stale_new.dll").c_str(), (scratch.folder + L"next.dll").c_str(), TRUE));
    REQUIRE(::MoveFileW(dll.c_str(), (scratch.folder + L"aside.dll").c_str()));
    REQUIRE(::MoveFileW((scratch.folder + L"next.dll").c_str(), dll.c_str()));
    auto fresh = Holding(dll);
    // One process's search, on modules walked while it runs; asked again once it has ended.
    const ProcessModules walkedOld = Walked(*old);
    StaleSearch one;
    CHECK(FindStaleModules(walkedOld, one));
    REQUIRE(one.stale.size() == 1);
    CHECK(Utf8(one.stale[0].loaded.module.file) == Utf8(dll));
    CHECK(one.stale[0].state == FileState::Changed);

    Run all = Cli("stale --csv");
    CHECK(all.exit == 1);
    CHECK(CsvHeading(all.out) == "id,process,path,state");
    CHECK_MESSAGE(Ids(all) == std::set<DWORD>{old->Id()}, all.out);
    CHECK_MESSAGE(States(all) == std::set<std::string>{"changed"}, all.out);
    CHECK(all.out.find(std::to_string(old->Id()) + ",library_holder.exe," + Utf8(dll) + ",changed\r\n") != std::string::npos);
    CHECK(Cli("stale " + std::to_string(old->Id()) + " --json").out.find("\"state\": \"changed\"") != std::string::npos);
    Run current = Cli("stale " + std::to_string(fresh->Id()) + " --csv");
    CHECK(current.exit == 0);
    CHECK(CsvRows(current.out).empty());
    {
        // On the Windows 95 family the base addresses come from tool-help.
        Win98Copy win98(scratch.folder);
        Run through98 = Cli("stale --csv", "", win98.path);
        CHECK(through98.exit == 1);
        // Wine gives a Windows 98 program its own 16-bit modules, which no file holds: the
        // program's own rows tell nothing of the holders.
        CHECK_MESSAGE(Ids(through98, through98.id) == std::set<DWORD>{old->Id()}, through98.out);
        CHECK_MESSAGE(States(through98, through98.id) == std::set<std::string>{"changed"}, through98.out);
    }
#ifdef _WIN64
    // The 32-bit program cannot read these 64-bit processes: it names them, and knows no answer.
    const char* x86 = std::getenv("QUENDRIX_X86_BUILD");
    REQUIRE_MESSAGE(x86 != nullptr, "QUENDRIX_X86_BUILD names no 32-bit build tree");
    const std::wstring cli32 = Wide(std::string(x86) + "\\QuendrixCli.exe");
    Run unsure = Cli("stale", "", cli32);
    CHECK(unsure.exit == 3);
    CHECK_MESSAGE(unsure.err.find(Named(*old)) != std::string::npos, unsure.err);
    Run unread = Cli("stale " + std::to_string(old->Id()), "", cli32);
    CHECK(unread.exit == 3);
    CHECK_MESSAGE(unread.err.find("cannot read the modules of process " + Named(*old) + ": a 64-bit process") !=
                      std::string::npos,
                  unread.err);
    Run hidden = Cli("wait \"" + Utf8(dll) + "\"", "", cli32);
    CHECK(hidden.exit == 3);
    CHECK_MESSAGE(hidden.err.find(Named(*fresh)) != std::string::npos, hidden.err);
#endif

    // The file moves away: both run a module whose file has vanished.
    REQUIRE(::MoveFileW(dll.c_str(), (scratch.folder + L"moved.dll").c_str()));
    Run moved = Cli("stale --csv");
    CHECK_MESSAGE((Ids(moved) == std::set<DWORD>{old->Id(), fresh->Id()}), moved.out);
    CHECK_MESSAGE(States(moved) == std::set<std::string>{"vanished"}, moved.out);

    Run timed = Cli("wait \"" + Utf8(dll) + "\" --timeout 1");
    CHECK(timed.exit == 1);
    CHECK_MESSAGE(timed.err.find("still held by 2 processes: ") != std::string::npos, timed.err);
    CHECK_MESSAGE(timed.err.find(Named(*old)) != std::string::npos, timed.err);

    // Waiting names the holders, again when they change, and ends as soon as none is left.
    Started waiting(L"\"" + CliProgram() + L"\" wait \"" + dll + L"\"", scratch.folder + L"wait.err");
    CHECK(testing::PumpUntil([&] { return waiting.Err().find("held by 2 processes") != std::string::npos; }, 20000));
    old->End();
    CHECK(testing::PumpUntil([&] { return waiting.Err().find("held by 1 process: " + Named(*fresh)) != std::string::npos; },
                             20000));
    CHECK_FALSE(FindStaleModules(walkedOld, one));
    CHECK(one.stale.empty());
    CHECK(one.unchecked.empty());
    // Named once it has ended: never "no module is stale". Windows may still list a process
    // that has ended while a handle to it is open (status 3); Wine lists it no more (2).
    Run ended = Cli("stale " + std::to_string(old->Id()));
    CHECK_MESSAGE((ended.exit == 2 || ended.exit == 3), ended.exit);
    CHECK_MESSAGE(ended.err.find(std::to_string(old->Id())) != std::string::npos, ended.err);
    CHECK(waiting.Finish(0) == -1);
    fresh->End();
    CHECK(waiting.Finish(20000) == 0);
    // Once for each set of holders.
    CHECK_MESSAGE(Count(waiting.Err(), " is held by ") == 2, waiting.Err());
}

TEST_CASE("wait refuses a timeout that is not whole seconds, with one line")
{
    for (const char* timeout : {"abc", "-1", "1.5", "4294968", ""}) {
        Run run = Cli(std::string("wait kernel32.dll --timeout \"") + timeout + "\"");
        CHECK_MESSAGE(run.exit == 2, timeout);
        CHECK_MESSAGE(run.err.find("--timeout takes whole seconds") != std::string::npos, run.err);
    }
}
