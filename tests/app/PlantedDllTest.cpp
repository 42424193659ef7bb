// Libraries left beside the program under the names of system libraries it uses: the program
// never loads them, though Wine is told to prefer them, as Windows does for a library outside
// its known set.
#include <doctest/doctest.h>

#include <set>
#include <string>
#include <windows.h>
#include <tlhelp32.h>

#include "export/Fixtures.h"
#include "res/resource.h"
#include "support/RunningProgram.h"
#include "support/TestSupport.h"

namespace {

const char* const kPlanted[] = {"psapi.dll", "version.dll"};

// Tells Wine to prefer a library beside `exe` (named without its folder) to its own.
void PreferPlanted(const char* exe)
{
    std::string path = std::string("Software\\Wine\\AppDefaults\\") + exe + "\\DllOverrides";
    HKEY key;
    REQUIRE(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr) == ERROR_SUCCESS);
    for (const char* dll : kPlanted) {
        std::string name(dll, std::string(dll).find('.'));
        ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    }
    ::RegCloseKey(key);
}

// Which stand-ins in `folder` were loaded since the last call; clears the record.
std::string LoadedStandIns(const std::string& folder)
{
    std::string loaded;
    for (const char* dll : kPlanted) {
        std::string marker = folder + dll + ".loaded";
        if (::DeleteFileA(marker.c_str()))
            loaded += std::string(loaded.empty() ? "" : " ") + dll;
    }
    return loaded;
}

std::string Lower(std::string text)
{
    if (!text.empty())
        ::CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The full paths (lower case) of the modules that process `id` has loaded.
std::set<std::string> LoadedModules(DWORD id)
{
    std::set<std::string> paths;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id);
    REQUIRE(snapshot != INVALID_HANDLE_VALUE);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Module32First(snapshot, &entry); ok; ok = ::Module32Next(snapshot, &entry))
        paths.insert(Lower(entry.szExePath));
    ::CloseHandle(snapshot);
    return paths;
}

// Whether the system's own copy of `module` imports `dll` by name: then the system's loader,
// not the program, looks for `dll` before any of the program's code runs.
bool SystemModuleImports(const char* module, const char* dll)
{
    const BYTE* base = reinterpret_cast<const BYTE*>(::GetModuleHandleA(module));
    REQUIRE(base != nullptr);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return false;
    for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name; ++import) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), dll) == 0)
            return true;
    }
    return false;
}

long RunToEnd(const std::string& exe)
{
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    REQUIRE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    REQUIRE(::WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return static_cast<long>(code);
}

}  // namespace

TEST_CASE("a psapi.dll and a version.dll beside the program are never loaded")
{
    const std::string planted = testing::ExeDirectory() + "..\\planted\\";
    const std::string folder = fixtures::FreshTempFolder("quendrix-planted");
    for (const char* dll : kPlanted)
        REQUIRE(::CopyFileA((planted + dll).c_str(), (folder + dll).c_str(), FALSE));
    REQUIRE(::CopyFileA((planted + "loader.exe").c_str(), (folder + "loader.exe").c_str(), FALSE));
    REQUIRE(::CopyFileA(testing::ProgramPath().c_str(), (folder + "QuendrixPlanted.exe").c_str(), FALSE));
    PreferPlanted("loader.exe");
    PreferPlanted("QuendrixPlanted.exe");
    LoadedStandIns(folder);

    // Any program that loads them by name gets the stand-ins.
    CHECK(RunToEnd(folder + "loader.exe") == 0);
    CHECK(LoadedStandIns(folder) == "psapi.dll version.dll");

    // The program starts and lists through the system's psapi.dll, and it has the system's
    // version.dll. The one stand-in it may meet is one that the system's own user32.dll asks
    // for by name before the program runs (Wine's does; Windows' does not).
    char system[MAX_PATH] = "";
    ::GetSystemDirectoryA(system, MAX_PATH);
    {
        testing::RunningProgram program(folder + "QuendrixPlanted.exe");
        CHECK(::IsWindowEnabled(program.Item(IDC_REFRESH)));
        CHECK(::SendMessageW(program.Item(IDC_PROCESS_LIST), LB_GETCOUNT, 0, 0) > 0);
        std::set<std::string> loaded = LoadedModules(program.Id());
        for (const char* dll : kPlanted)
            CHECK_MESSAGE(loaded.count(Lower(std::string(system) + "\\" + dll)) == 1, dll);
        program.Click(IDCANCEL);
        CHECK(program.WaitForExit(10000) == 0);
    }
    CHECK(LoadedStandIns(folder) == (SystemModuleImports("user32.dll", "version.dll") ? "version.dll" : ""));
}
