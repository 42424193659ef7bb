// Module names kept between walks: the same as the system's own, and taken afresh when another
// file comes to lie at a module's address; a process named by its executable's module only; and
// the kernel's names of mapped files as DOS paths.
#include <doctest/doctest.h>

#include <algorithm>
#include <set>
#include <string>
#include <windows.h>

#include "enum/EnumApi.h"
#include "enum/KnownModules.h"
#include "enum/LoaderNames.h"
#include "enum/ModuleName.h"
#include "enum/ProcessTable.h"
#include "export/Fixtures.h"
#include "framework/Encoding.h"
#include "paths/WidePath.h"
#include "support/TestSupport.h"

namespace {

// This process's modules but its executable, lower case, walked with `known`'s names.
std::set<std::string> Walked(KnownModules& known)
{
    std::set<std::string> files;
    CHECK(WalkModulesNt(::GetCurrentProcessId(), FirstEntry::Skip,
                        [&](const ModuleEntry& module) { files.insert(FromWide(LowerCase(module.file))); },
                        Capacity::Whole, &known.Namer()) == ModuleWalk::Listed);
    known.Sweep();
    return files;
}

// The system's own view: this process's modules in a tool-help snapshot, lower case.
std::set<std::string> Snapshot()
{
    std::set<std::string> files;
    for (const std::string& path : testing::OwnModulePaths())
        files.insert(FromWide(LowerCase(ToWide(path))));
    return files;
}

}  // namespace

TEST_CASE("known module names are the system's, and new when another file lies at a module's address")
{
    OSVERSIONINFOA version{};
    BindEnumBackend(version);
    REQUIRE(EnumBackendAvailable(version));
    const std::string folder = fixtures::FreshTempFolder("quendrix-known");
    const std::string first = folder + "first.dll", second = folder + "second.dll";
    REQUIRE(::CopyFileA((fixtures::Directory() + "fx_stale_old.dll").c_str(), first.c_str(), TRUE));
    REQUIRE(::CopyFileA((fixtures::Directory() + "fx_stale_old.dll").c_str(), second.c_str(), TRUE));

    KnownModules known;
    HMODULE module = ::LoadLibraryA(first.c_str());
    REQUIRE(module != nullptr);
    CHECK(Walked(known) == Snapshot());
    CHECK(Walked(known) == Snapshot());
    // The same build from another file, where the first one lay: only the mapped file tells.
    ::FreeLibrary(module);
    HMODULE again = ::LoadLibraryA(second.c_str());
    REQUIRE(again != nullptr);
    REQUIRE(again == module);
    std::set<std::string> walked = Walked(known);
    CHECK(walked == Snapshot());
    CHECK(walked.count(FromWide(LowerCase(ToWide(second)))) == 1);
    ::FreeLibrary(again);
    ::DeleteFileA(first.c_str());
    ::DeleteFileA(second.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

TEST_CASE("a process is named by its executable's module, never by the module after it")
{
    OSVERSIONINFOA version{};
    BindEnumBackend(version);
    REQUIRE(EnumBackendAvailable(version));
    REQUIRE(IsNtFamily(version));
    wchar_t own[MAX_PATH] = L"";
    REQUIRE(::GetModuleFileNameW(nullptr, own, MAX_PATH) > 0);
    const std::wstring ownPath = LowerCase(own);
    const HMODULE executable = ::GetModuleHandleA(nullptr);
    const DWORD ownId = ::GetCurrentProcessId();

    struct Case {
        const char* name;
        bool refuseExecutable;  // the namer cannot name this process's executable
    } cases[] = {{"every module named", false}, {"the executable unnamed", true}};
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const ModuleNamer namer = [&](DWORD id, HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry) {
            if (c.refuseExecutable && id == ownId && module == executable)
                return false;
            return NameModule(process, module, mapped, entry);
        };
        int seen = 0;
        std::wstring named;
        std::set<std::wstring> modules;
        REQUIRE(WalkEveryProcess(version, [&](const ProcessModules& walked) {
            if (walked.process.id != ownId)
                return;
            ++seen;
            named = LowerCase(walked.process.path);
            for (const ModuleEntry& module : walked.modules)
                modules.insert(LowerCase(module.file));
        }, &namer));
        REQUIRE(seen == 1);
        CHECK(modules.count(ownPath) == (c.refuseExecutable ? 0u : 1u));
        // Unnamed, the process is named as the system names it, or as unknown.
        if (c.refuseExecutable && named.empty())
            continue;
        CHECK_MESSAGE(named == ownPath, FromWide(named));
    }
}

TEST_CASE("the kernel's names of mapped files become DOS paths, a volume's only up to its own boundary")
{
    // Drives of another machine: two volumes whose device names begin alike.
    DriveListing drives({{L"C:", L"\\device\\harddiskvolume1\\"}, {L"D:", L"\\device\\harddiskvolume10\\"}});
    struct Case { const wchar_t* kernel; const wchar_t* dos; } cases[] = {
        {L"\\??\\C:\\Windows\\a.dll", L"C:\\Windows\\a.dll"},
        {L"\\??\\UNC\\server\\share\\a.dll", L"\\\\server\\share\\a.dll"},
        {L"\\Device\\Mup\\server\\share\\a.dll", L"\\\\server\\share\\a.dll"},
        {L"\\Device\\HarddiskVolume1\\Dir\\a.dll", L"C:\\Dir\\a.dll"},
        {L"\\Device\\HarddiskVolume10\\Dir\\a.dll", L"D:\\Dir\\a.dll"},
        // The device in any case; the path as the kernel spells it.
        {L"\\DEVICE\\HARDDISKVOLUME1\\Dir\\A.DLL", L"C:\\Dir\\A.DLL"},
        {L"\\??\\unc\\Server\\a.dll", L"\\\\Server\\a.dll"},
        {L"\\device\\MUP\\Server\\a.dll", L"\\\\Server\\a.dll"},
        {L"\\Device\\HarddiskVolume100\\a.dll", L""},
        {L"\\Device\\HarddiskVolume2\\a.dll", L""},
        {L"\\Device\\HarddiskVolume1", L""},
        {L"", L""},
    };
    for (const Case& c : cases)
        CHECK_MESSAGE((DosPathOf(c.kernel) == c.dos), FromWide(c.kernel) << ": expected \"" << FromWide(c.dos)
                                                                         << "\", got \"" << FromWide(DosPathOf(c.kernel)) << "\"");
}

TEST_CASE("the loader's list names every module as the wide function does, and is dropped where it misses one")
{
    OSVERSIONINFOA version{};
    BindEnumBackend(version);
    REQUIRE(EnumBackendAvailable(version));
    REQUIRE(IsNtFamily(version));
    // A module beyond the ANSI code page, so that the names are not all ANSI ones.
    const std::wstring folder = ToWide(fixtures::FreshTempFolder("quendrix-loader")), dll = folder + L"\x0416\x4E2D.dll";
    REQUIRE(::CopyFileW(ToWide(fixtures::Directory() + "fx_full.dll").c_str(), dll.c_str(), TRUE));
    const HMODULE loaded = ::LoadLibraryW(dll.c_str());
    REQUIRE(loaded != nullptr);
    HANDLE self = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ::GetCurrentProcessId());
    REQUIRE(self != nullptr);
    HMODULE modules[1024];
    DWORD needed = 0;
    REQUIRE(EnumEveryProcessModule(self, modules, sizeof modules, &needed));
    const DWORD count = std::min<DWORD>(needed, sizeof modules) / sizeof(HMODULE);
    {
        const LoaderNames names(self, modules, count);
        for (DWORD i = 0; i < count; ++i) {
            wchar_t wide[MAX_PATH] = L"";
            REQUIRE(pfnGetModuleFileNameExW(self, modules[i], wide, MAX_PATH) > 0);
            std::wstring path;
            CHECK_MESSAGE(LoaderNames::Find(self, modules[i], path), FromWide(wide, CP_UTF8));
            CHECK_MESSAGE(path == wide, FromWide(wide, CP_UTF8) << " read as " << FromWide(path, CP_UTF8));
        }
        std::wstring path;
        CHECK(LoaderNames::Find(self, loaded, path));
        CHECK(LowerCase(path) == LowerCase(dll));
        // Another process's handle finds nothing here.
        CHECK_FALSE(LoaderNames::Find(::GetCurrentProcess(), loaded, path));
    }
    // A module that the list lacks: the list is no true reading, and none of it is kept.
    HMODULE withStranger[1025];
    std::copy(modules, modules + count, withStranger);
    withStranger[count] = reinterpret_cast<HMODULE>(0x10000);
    {
        const LoaderNames names(self, withStranger, count + 1);
        std::wstring path;
        CHECK_FALSE(LoaderNames::Find(self, loaded, path));
    }
    ::CloseHandle(self);
    ::FreeLibrary(loaded);
    ::DeleteFileW(dll.c_str());
    ::RemoveDirectoryW(folder.c_str());
}
