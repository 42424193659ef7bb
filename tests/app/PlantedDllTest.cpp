// Libraries left beside the program under the names of system libraries that it, its file
// dialogs and the shell's context menu load: the program never loads them, though Wine is told
// to prefer them, as Windows does for a library outside its known set.
#include <doctest/doctest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include <tlhelp32.h>

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "res/resource.h"
#include "support/FileDialogSupport.h"
#include "support/RunningProgram.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"

namespace {

// The names under which a stand-in lies beside the program: the libraries that it loads itself,
// and those that these load in turn while a file dialog or the shell's context menu is open.
const char* const kPlanted[] = {"psapi.dll",    "version.dll",  "comdlg32.dll", "shell32.dll",
                                "comctl32.dll", "winspool.drv", "compstui.dll", "imm32.dll",
                                "shlwapi.dll",  "shcore.dll"};

std::string Lower(std::string text)
{
    if (!text.empty())
        ::CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A folder holding copies of the program and of the loader, and a stand-in under each planted
// name; Wine prefers a library beside either copy to its own.
class PlantedFolder {
public:
    static constexpr const char* kProgram = "QuendrixPlanted.exe";
    static constexpr const char* kLoader = "loader.exe";

    PlantedFolder()
        : m_path(testing::FreshFolder("quendrix-planted") + "\\"),
          m_program(std::string(kSettings) + kProgram), m_loader(std::string(kSettings) + kLoader)
    {
        const std::string built = testing::ExeDirectory() + "..\\planted\\";
        for (const char* dll : kPlanted)
            REQUIRE(::CopyFileA((built + "standin.dll").c_str(), (Path() + dll).c_str(), FALSE));
        REQUIRE(::CopyFileA((built + kLoader).c_str(), (Path() + kLoader).c_str(), FALSE));
        REQUIRE(::CopyFileA(testing::ProgramPath().c_str(), (Path() + kProgram).c_str(), FALSE));
        PreferPlanted(m_program);
        PreferPlanted(m_loader);
    }

    const std::string& Path() const { return m_path; }

    // The stand-ins loaded since the last call, each of which left a record beside itself; clears
    // the records.
    std::string LoadedStandIns() const
    {
        std::string loaded;
        for (const char* dll : kPlanted) {
            if (::DeleteFileA((Path() + dll + ".loaded").c_str()))
                loaded += std::string(loaded.empty() ? "" : " ") + dll;
        }
        return loaded;
    }

private:
    // Wine names a library in its settings without ".dll", any other one with its extension.
    static std::string OverrideName(std::string dll)
    {
        const size_t dot = dll.size() - 4;
        return Lower(dll.substr(dot)) == ".dll" ? dll.substr(0, dot) : dll;
    }
    // Wine's settings for one program of the folder: the stand-ins before its own libraries.
    static void PreferPlanted(const testing::UserKey& settings)
    {
        for (const char* dll : kPlanted)
            settings.Set(OverrideName(dll).c_str(), "native,builtin", "\\DllOverrides");
    }

    static constexpr const char* kSettings = "Software\\Wine\\AppDefaults\\";
    std::string m_path;  // removed with all in it when the test ends
    testing::UserKey m_program, m_loader;
};

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

// The modules of process `id` that lie in `folder`, by file name, but the process's executable:
// the planted ones in the table's order, then any other.
std::string ModulesFrom(DWORD id, const std::string& folder)
{
    std::set<std::string> found;
    const std::string prefix = Lower(folder), program = Lower(folder + PlantedFolder::kProgram);
    for (const std::string& path : LoadedModules(id)) {
        if (path.compare(0, prefix.size(), prefix) == 0 && path != program)
            found.insert(path.substr(prefix.size()));
    }
    std::string names;
    for (const char* dll : kPlanted) {
        if (found.erase(dll))
            names += (names.empty() ? "" : " ") + std::string(dll);
    }
    for (const std::string& other : found)
        names += (names.empty() ? "" : " ") + other;
    return names;
}

// The exit code of `command` (ANSI), run to its end; -1 when it has not ended in 30 s.
long RunToEnd(const std::string& command)
{
    return testing::StartedProcess(ToWide(command)).Wait(30000);
}

struct DialogSearch {
    DWORD id;
    HWND main;
    HWND found;
};

BOOL CALLBACK MatchOtherDialog(HWND w, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    char name[16] = "";
    ::GetClassNameA(w, name, sizeof name);
    if (owner == search->id && w != search->main && ::IsWindowVisible(w) && lstrcmpA(name, "#32770") == 0)
        search->found = w;
    return search->found == nullptr;
}

// A visible dialog window of process `id` besides `main`, or null.
HWND OtherDialog(DWORD id, HWND main)
{
    DialogSearch search{id, main, nullptr};
    ::EnumWindows(&MatchOtherDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the user opens in the program, and the system library that it needs for it.
struct Action {
    const char* what;
    const char* needs;
    std::function<void(const testing::RunningProgram&)> open;  // returns once it shows
    std::function<void(const testing::RunningProgram&)> close;
};

// Opens the file dialog of a button's command, and closes it with Cancel.
Action FileDialogOf(const char* what, int button)
{
    auto open = [button](const testing::RunningProgram& program) {
        ::PostMessageA(program.Dialog(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(program.Item(button)));
        REQUIRE(testing::WaitFor([&] { return OtherDialog(program.Id(), program.Dialog()) != nullptr; }, 15000));
    };
    auto close = [](const testing::RunningProgram& program) {
        HWND dialog = OtherDialog(program.Id(), program.Dialog());
        testing::PostCommand(dialog, IDCANCEL);
        REQUIRE(testing::WaitFor([&] { return !::IsWindow(dialog); }, 10000));
    };
    return {what, "comdlg32.dll", open, close};
}

// Opens the shell's context menu of a module entry with the right button, and closes it with
// Escape.
Action ContextMenu()
{
    auto menu = [](const testing::RunningProgram& program) {
        return testing::FindVisibleWindow(program.Id(), "#32768");
    };
    auto open = [menu](const testing::RunningProgram& program) {
        HWND modules = program.Item(IDC_MODULE_LIST);
        REQUIRE(::SendMessageW(modules, LB_GETCOUNT, 0, 0) > 0);
        const RECT row = testing::RemoteRowOnScreen(modules, 0);
        testing::ClickAt(POINT{row.left + 10, (row.top + row.bottom) / 2}, 3);
        REQUIRE(testing::WaitFor([&] { return menu(program) != nullptr; }, 15000));
    };
    auto close = [menu](const testing::RunningProgram& program) {
        testing::Xdo("key Escape");
        REQUIRE(testing::WaitFor([&] { return menu(program) == nullptr; }));
    };
    return {"the context menu of a module", "shell32.dll", open, close};
}

}  // namespace

TEST_CASE("no library beside the program is loaded, at start, in the file dialogs or in the context menu")
{
    PlantedFolder planted;
    const std::string& folder = planted.Path();
    char system[MAX_PATH] = "";
    REQUIRE(::GetSystemDirectoryA(system, MAX_PATH) > 0);

    // Before any code of a program in the folder runs, the system may load some of them itself,
    // where no program can restrict the search: Wine's user32.dll imports version.dll (Windows'
    // does not) and loads imm32.dll by name as it starts. The program never calls them. The
    // loader, run without names, shows which.
    const std::string loader = "\"" + folder + PlantedFolder::kLoader + "\"";
    REQUIRE(RunToEnd(loader) == 0);
    const std::string preloaded = planted.LoadedStandIns();
    std::string command = loader, all;
    for (const char* dll : kPlanted) {
        command += std::string(" ") + dll;
        all += (all.empty() ? "" : " ") + std::string(dll);
    }
    // A strict part of them, and none that the program binds itself: else the checks below could
    // not tell the program's loads from the system's.
    CAPTURE(preloaded);
    REQUIRE(preloaded.size() < all.size());
    for (const char* own : {"psapi.dll", "comdlg32.dll", "shell32.dll"})
        REQUIRE((" " + preloaded + " ").find(std::string(" ") + own + " ") == std::string::npos);

    // Any program that loads them by name gets the stand-ins.
    CHECK(RunToEnd(command) == 0);
    CHECK(planted.LoadedStandIns() == all);

    // In either order: the save dialog brings the shell along, the context menu brings it first.
    const Action save = FileDialogOf("the save dialog", IDC_SAVE_LIST);
    const Action chooser = FileDialogOf("the folder chooser", IDC_COPY_MODULES);
    const Action menu = ContextMenu();
    const std::vector<std::vector<Action>> orders = {{save, chooser, menu}, {menu, save}};
    for (const std::vector<Action>& order : orders) {
        testing::RunningProgram program(folder + PlantedFolder::kProgram);
        INFO("started");
        // Started, it lists through the system's psapi.dll, and it has the system's version.dll.
        CHECK(::IsWindowEnabled(program.Item(IDC_REFRESH)));
        CHECK(::SendMessageW(program.Item(IDC_PROCESS_LIST), LB_GETCOUNT, 0, 0) > 0);
        std::set<std::string> loaded = LoadedModules(program.Id());
        for (const char* dll : {"psapi.dll", "version.dll"})
            CHECK_MESSAGE(loaded.count(Lower(std::string(system) + "\\" + dll)) == 1, dll);
        CHECK(planted.LoadedStandIns() == preloaded);
        CHECK(ModulesFrom(program.Id(), folder) == preloaded);

        // The modules of the program itself, whose files the shell knows.
        const int own = testing::RemoteFindEntry(program.Item(IDC_PROCESS_LIST), PlantedFolder::kProgram);
        REQUIRE(own >= 0);
        program.SelectProcess(own);
        for (const Action& action : order) {
            INFO(std::string(action.what));
            action.open(program);
            CHECK(LoadedModules(program.Id()).count(Lower(std::string(system) + "\\" + action.needs)) == 1);
            CHECK(planted.LoadedStandIns() == "");
            CHECK(ModulesFrom(program.Id(), folder) == preloaded);
            action.close(program);
        }
        program.Click(IDCANCEL);
        CHECK(program.WaitForExit(10000) == 0);
    }
}

TEST_CASE("once the search is restricted, a library named without a folder is found neither beside the program nor in the current folder")
{
    // A library of a name that no system has, copied into this test program's own folder and
    // into a folder of its own that is made the current one; all removed when the test ends.
    const std::string name = "quendrix-restrict-" + std::to_string(::GetCurrentProcessId()) + ".dll";
    const std::string current = testing::FreshFolder("quendrix-current") + "\\";
    struct CopyOwner {
        std::string path;
        ~CopyOwner()
        {
            ::DeleteFileA(path.c_str());
            ::DeleteFileA((path + ".loaded").c_str());
        }
    } beside{testing::ExeDirectory() + name};
    struct CurrentFolder {
        char previous[MAX_PATH] = "";
        ~CurrentFolder() { ::SetCurrentDirectoryA(previous); }
    } restore;
    REQUIRE(::GetCurrentDirectoryA(MAX_PATH, restore.previous) > 0);
    REQUIRE(::SetCurrentDirectoryA(current.c_str()));

    const std::string standIn = testing::ExeDirectory() + "..\\planted\\standin.dll";
    struct Place { const char* what; std::string path; } places[] = {
        {"beside the program", beside.path},
        {"in the current folder", current + name},
    };
    for (bool restricted : {false, true}) {
        if (restricted)
            RestrictLibrarySearch();
        for (const Place& place : places) {
            INFO((std::string(place.what) + (restricted ? ", restricted" : ", not yet restricted")));
            REQUIRE(::CopyFileA(standIn.c_str(), place.path.c_str(), FALSE));
            HMODULE loaded = ::LoadLibraryA(name.c_str());
            CHECK((loaded != nullptr) == !restricted);
            if (loaded)
                ::FreeLibrary(loaded);
            ::DeleteFileA(place.path.c_str());
        }
    }
}
