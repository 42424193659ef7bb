// The console program's stale and wait, end to end: a fixture module held by helper processes,
// replaced on disk by another build under one of them, moved away, replaced by no image, locked,
// and let go; in the 64-bit tree also a 32-bit holder.
#include <doctest/doctest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "query/StaleSearch.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

using Started = std::unique_ptr<testing::StartedProcess>;

// library_holder.exe of the build tree whose tests are in `tests` (this one's by default) holding
// `dll`, once it has loaded it.
Started Holding(const std::wstring& dll, const std::wstring& tests = ToWide(testing::ExeDirectory()))
{
    auto holder = std::make_unique<testing::StartedProcess>(L"\"" + tests + L"library_holder.exe\" \"" + dll + L"\"");
    const std::string name = Utf8(dll.substr(dll.rfind(L'\\') + 1));
    REQUIRE_MESSAGE(testing::PumpUntil([&] { return HasModule(holder->Id(), name.c_str()); }, 20000),
                    "the helper did not load " << Utf8(dll));
    return holder;
}

// Another build takes `dll`'s place under the processes that run it, as an update does: the file
// in use moves aside (Wine refuses to rename another over it), the new one moves in.
void Update(const std::wstring& dll, const std::wstring& build)
{
    REQUIRE(::CopyFileW(build.c_str(), (dll + L".next").c_str(), TRUE));
    REQUIRE(::MoveFileW(dll.c_str(), (dll + L".aside").c_str()));
    REQUIRE(::MoveFileW((dll + L".next").c_str(), dll.c_str()));
}

// The rows of `stale --csv` output of modules in `folder`, as "id state": the test's own holders,
// whatever else on the machine may be stale.
std::set<std::string> RowsIn(const Run& run, const std::wstring& folder)
{
    std::set<std::string> rows;
    for (const auto& row : CsvRows(run.out))
        if (row.at(2).rfind(Utf8(folder), 0) == 0)
            rows.insert(row.at(0) + " " + row.at(3));
    return rows;
}

std::string Row(const Started& holder, const char* state)
{
    return std::to_string(holder->Id()) + " " + state;
}

std::string Named(const Started& process)
{
    return std::to_string(process->Id()) + " (library_holder.exe)";
}

// The modules of a running process, as the console program walks them for stale.
ProcessModules Walked(const Started& process)
{
    OSVERSIONINFOA version{};
    BindEnumBackend(version);
    ProcessModules walked{{process->Id(), L"", 0}, ModuleWalk::Listed, {}};
    walked.walk = WalkModules(
        version, process->Id(), FirstEntry::List, [&walked](const ModuleEntry& module) { walked.modules.push_back(module); },
        Capacity::Whole);
    REQUIRE(walked.walk == ModuleWalk::Listed);
    return walked;
}

}  // namespace

TEST_CASE("stale names the processes that run a replaced module; wait waits until none holds it")
{
    const std::wstring folder = Wide(fixtures::FreshTempFolder("quendrix-stale")), dll = folder + L"stale.dll",
                       builds = Wide(fixtures::Directory());
    REQUIRE(::CopyFileW((builds + L"fx_stale_old.dll").c_str(), dll.c_str(), TRUE));
    Started old = Holding(dll);
    Update(dll, builds + L"fx_stale_new.dll");
    Started fresh = Holding(dll);
    // One process's search, on modules walked while it runs; asked again once it has ended.
    const ProcessModules walkedOld = Walked(old);
    StaleSearch one;
    CHECK(FindStaleModules(walkedOld, one));
    REQUIRE(one.stale.size() == 1);
    CHECK(Utf8(one.stale[0].loaded.module.file) == Utf8(dll));
    CHECK(one.stale[0].state == FileState::Changed);

    Run all = Cli("stale --csv");
    CHECK(all.exit == 1);
    CHECK(CsvHeading(all.out) == "id,process,path,state");
    CHECK_MESSAGE(RowsIn(all, folder) == std::set<std::string>{Row(old, "changed")}, all.out);
    CHECK(all.out.find(std::to_string(old->Id()) + ",library_holder.exe," + Utf8(dll) + ",changed\r\n") != std::string::npos);
    CHECK(Cli("stale " + std::to_string(old->Id()) + " --json").out.find("\"state\": \"changed\"") != std::string::npos);
    Run current = Cli("stale " + std::to_string(fresh->Id()) + " --csv");
    CHECK(current.exit == 0);
    CHECK(CsvRows(current.out).empty());
    {
        // On the Windows 95 family the base addresses come from tool-help: a copy of the program
        // that Wine runs as a Windows 98 program while the setting lives.
        const std::wstring win98 = folder + L"QuendrixCliStale98.exe";
        REQUIRE(::CopyFileW(CliProgram().c_str(), win98.c_str(), TRUE));
        testing::UserKey setting("Software\\Wine\\AppDefaults\\QuendrixCliStale98.exe");
        setting.Set("Version", "win98");
        Run through98 = Cli("stale --csv", "", win98);
        CHECK(through98.exit == 1);
        CHECK_MESSAGE(RowsIn(through98, folder) == std::set<std::string>{Row(old, "changed")}, through98.out);
    }
#ifdef _WIN64
    // The 32-bit program cannot read these 64-bit processes: it names them, and knows no answer.
    const char* x86 = std::getenv("QUENDRIX_X86_BUILD");
    REQUIRE_MESSAGE(x86 != nullptr, "QUENDRIX_X86_BUILD names no 32-bit build tree");
    const std::wstring tree32 = Wide(x86) + L"\\", cli32 = tree32 + L"QuendrixCli.exe";
    Run unsure = Cli("stale --csv", "", cli32);
    CHECK(RowsIn(unsure, folder).empty());
    CHECK(unsure.exit == (CsvRows(unsure.out).empty() ? 3 : 1));
    CHECK_MESSAGE(unsure.err.find(Named(old)) != std::string::npos, unsure.err);
    Run unread = Cli("stale " + std::to_string(old->Id()), "", cli32);
    CHECK(unread.exit == 3);
    CHECK_MESSAGE(unread.err.find("cannot read the modules of process " + Named(old) + ": a 64-bit process") !=
                      std::string::npos,
                  unread.err);
    Run hidden = Cli("wait \"" + Utf8(dll) + "\" --timeout 10", "", cli32);
    CHECK(hidden.exit == 3);
    CHECK_MESSAGE(hidden.err.find(Named(fresh)) != std::string::npos, hidden.err);
    {
        // This program on a 32-bit holder of a replaced 32-bit build: it compares the holder's
        // system modules with the files that it maps, in the folder of 32-bit system files, so
        // that only the replaced one is stale, and its wait names the holder by those files.
        const std::wstring dll32 = folder + L"stale32.dll";
        REQUIRE(::CopyFileW((tree32 + L"fixtures\\fx_stale_old.dll").c_str(), dll32.c_str(), TRUE));
        Started old32 = Holding(dll32, tree32 + L"tests\\");
        Update(dll32, tree32 + L"fixtures\\fx_stale_new.dll");
        Run stale32 = Cli("stale " + std::to_string(old32->Id()) + " --csv");
        CHECK(stale32.exit == 1);
        CHECK_MESSAGE((CsvRows(stale32.out) == std::vector<std::vector<std::string>>{{std::to_string(old32->Id()),
                       "library_holder.exe", Utf8(dll32), "changed"}}), stale32.out);
        CHECK_MESSAGE(stale32.err.find("kernel32.dll") == std::string::npos, stale32.err);
        wchar_t native[MAX_PATH] = L"", wow64[MAX_PATH] = L"";
        REQUIRE(::GetSystemDirectoryW(native, MAX_PATH) > 0);
        REQUIRE(::GetSystemWow64DirectoryW(wow64, MAX_PATH) > 0);
        for (const wchar_t* systemFolder : {wow64, native}) {
            Run held = Cli("wait \"" + Utf8(systemFolder) + "\\kernel32.dll\" --timeout 0");
            CHECK(held.exit == 1);
            CHECK_MESSAGE((held.err.find(Named(old32)) != std::string::npos) == (systemFolder == wow64), held.err);
        }
    }
#endif

    // What stands at the holders' path instead of their images, each state named: nothing, no
    // image, an image that is locked, and again the new build, which only the old one lacks.
    const std::wstring moved = folder + L"moved.dll";
    std::unique_ptr<KernelHandle> lock;
    struct Step {
        const char* what;
        std::function<void()> make;
        std::set<std::string> rows;
    } steps[] = {
        {"moved away", [&] { REQUIRE(::MoveFileW(dll.c_str(), moved.c_str())); },
         {Row(old, "vanished"), Row(fresh, "vanished")}},
        {"no image", [&] { fixtures::WriteBytes(Utf8(dll), "MZ, but no image"); },
         {Row(old, "unreadable"), Row(fresh, "unreadable")}},
        {"locked",
         [&] {
             REQUIRE(::DeleteFileW(dll.c_str()));
             REQUIRE(::MoveFileW(moved.c_str(), dll.c_str()));
             lock = std::make_unique<KernelHandle>(
                 ::CreateFileW(dll.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             REQUIRE(*lock);
         },
         {Row(old, "unreadable"), Row(fresh, "unreadable")}},
        {"let go", [&] { lock.reset(); }, {Row(old, "changed")}},
    };
    for (const Step& step : steps) {
        step.make();
        Run stale = Cli("stale --csv");
        CHECK_MESSAGE(RowsIn(stale, folder) == step.rows, step.what << ": " << stale.out);
    }

    Run timed = Cli("wait \"" + Utf8(dll) + "\" --timeout 1");
    CHECK(timed.exit == 1);
    CHECK_MESSAGE(timed.err.find("still held by 2 processes: ") != std::string::npos, timed.err);
    CHECK_MESSAGE(timed.err.find(Named(old)) != std::string::npos, timed.err);

    // Waiting names the holders, again when they change, and ends as soon as none is left.
    const std::wstring errFile = folder + L"wait.err";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle err(::CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    REQUIRE(err);
    testing::StartedProcess waiting(L"\"" + CliProgram() + L"\" wait \"" + dll + L"\" --timeout 120",
                                    {nullptr, err.Get(), DETACHED_PROCESS});
    err.Close();
    const auto said = [&] { return testing::FileContent(errFile); };
    CHECK(testing::PumpUntil([&] { return said().find("held by 2 processes") != std::string::npos; }, 20000));
    old->End();
    CHECK(testing::PumpUntil([&] { return said().find("held by 1 process: " + Named(fresh)) != std::string::npos; },
                             20000));
    CHECK_FALSE(FindStaleModules(walkedOld, one));
    CHECK(one.stale.empty());
    CHECK(one.unchecked.empty());
    // Named once it has ended: never "no module is stale". Windows may still list a process
    // that has ended while a handle to it is open (status 3); Wine lists it no more (2).
    Run ended = Cli("stale " + std::to_string(old->Id()));
    CHECK_MESSAGE((ended.exit == 2 || ended.exit == 3), ended.exit);
    CHECK_MESSAGE(ended.err.find(std::to_string(old->Id())) != std::string::npos, ended.err);
    CHECK(::WaitForSingleObject(waiting.Handle(), 0) == WAIT_TIMEOUT);
    fresh->End();
    long end = waiting.Wait(20000);
    // 3 where a process that another test was just starting could not be read: asked again.
    if (end == 3)
        end = CliAllRead("wait \"" + Utf8(dll) + "\" --timeout 10").exit;
    CHECK(end == 0);
    // Once for each set of holders.
    CHECK_MESSAGE(Count(said(), " is held by ") == 2, said());
}

TEST_CASE("wait leaves itself out, looks once with --timeout 0, and takes only whole seconds")
{
    wchar_t own[MAX_PATH] = L"";
    REQUIRE(::GetFullPathNameW(CliProgram().c_str(), MAX_PATH, own, nullptr) > 0);
    struct Case { std::string arguments; long exit; const char* message; } cases[] = {
        // Only the program itself holds its file.
        {"wait \"" + Utf8(own) + "\" --timeout 0", 0, ""},
        {"wait kernel32.dll --timeout 0", 1, "the time ran out: kernel32.dll is still held by "},
    };
    for (const Case& c : cases) {
        Run run = CliAllRead(c.arguments);
        CHECK_MESSAGE(run.exit == c.exit, c.arguments << ": " << run.err);
        CHECK_MESSAGE(run.err.find(c.message) != std::string::npos, run.err);
    }
    for (const char* timeout : {"abc", "-1", "1.5", "4294968", ""}) {
        Run run = Cli(std::string("wait kernel32.dll --timeout \"") + timeout + "\"");
        CHECK_MESSAGE(run.exit == 2, timeout);
        CHECK_MESSAGE(run.err.find("--timeout takes whole seconds") != std::string::npos, run.err);
    }
}
