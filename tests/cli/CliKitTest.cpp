// copy end to end: a kit made in a folder that did not exist, its files against the modules
// that the system lists for this process, its report against the console's report, the same
// kit copied again, a kit without the system's files, and one in a folder beyond MAX_PATH.
#include <doctest/doctest.h>

#include <map>
#include <set>
#include <string>
#include <vector>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "paths/DisplayName.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

std::string NameOf(const std::string& path)
{
    return DisplayNameOf(path.c_str()).GetString();
}

// The outcome that the kit's list gives each path.
std::multiset<std::string> Outcomes(const std::string& list)
{
    std::multiset<std::string> outcomes;
    for (const auto& row : CsvRows(list))
        outcomes.insert(row.at(3) + ": " + row.at(1));
    return outcomes;
}

// A folder that the system names (GetWindowsDirectoryA, GetSystemDirectoryA).
std::string SystemNamed(UINT(WINAPI* named)(LPSTR, UINT))
{
    char folder[MAX_PATH] = "";
    REQUIRE(named(folder, MAX_PATH) > 0);
    return folder;
}

std::string Lower(std::string text)
{
    ::CharLowerA(&text[0]);
    return text;
}

// A fixture module copied to `name` in `folder` (which it makes where asked) and loaded from there
// while the owner lives; the owner removes what it made, whatever failed.
struct Placed {
    const std::string folder, path;
    const bool made;
    HMODULE module = nullptr;
    Placed(std::string in, const std::string& name, bool makeFolder)
        : folder(std::move(in)), path(folder + "\\" + name),
          made(makeFolder && ::CreateDirectoryA(folder.c_str(), nullptr))
    {
        if (::CopyFileA((fixtures::Directory() + "fx_desc.dll").c_str(), path.c_str(), TRUE))
            module = ::LoadLibraryA(path.c_str());
    }
    ~Placed()
    {
        if (module)
            ::FreeLibrary(module);
        ::DeleteFileA(path.c_str());
        if (made)
            ::RemoveDirectoryA(folder.c_str());
    }
};

}  // namespace

TEST_CASE("copy makes a kit that says what it holds, and copied again overwrites nothing")
{
    const std::string owned = testing::FreshFolder("quendrix-cli-kit");
    // A module outside the system's folders.
    struct Fixture {
        HMODULE module = ::LoadLibraryA((fixtures::Directory() + "fx_full.dll").c_str());
        ~Fixture() { ::FreeLibrary(module); }
    } fixture;
    REQUIRE(fixture.module != nullptr);
    // Modules where --no-system tells them apart: directly in the Windows folder and anywhere
    // below the system folder it leaves them out; elsewhere below the Windows folder it does not.
    const std::string windows = SystemNamed(::GetWindowsDirectoryA), systemFolder = SystemNamed(::GetSystemDirectoryA),
                      mark = "quendrix-kit." + Own();
    const Placed inWindows(windows, mark + ".dll", false), belowWindows(windows + "\\" + mark, "below.dll", true),
        belowSystem(systemFolder + "\\" + mark, "deep.dll", true);
    for (const Placed* placed : {&inWindows, &belowWindows, &belowSystem})
        REQUIRE_MESSAGE(placed->module != nullptr, placed->path);
    const std::map<std::string, bool> leftOut = {{Lower(fixtures::Directory() + "fx_full.dll"), false},
                                                 {Lower(inWindows.path), true},
                                                 {Lower(belowWindows.path), false},
                                                 {Lower(belowSystem.path), true}};
    const std::string kit = owned + "\\kit";
    const std::vector<std::string> modules = testing::OwnModulePaths();
    REQUIRE(modules.size() > 5);
    const Run report = Cli("report " + Own());
    REQUIRE(report.exit == 0);

    Run first = Cli("copy " + Own() + " \"" + kit + "\"");
    CHECK(first.exit == 0);
    CHECK_MESSAGE(first.err.find("QuendrixCli: made the folder \"" + kit + "\"\r\n") == 0, first.err);
    CHECK(first.err.find("copied all " + std::to_string(modules.size()) + " modules of " + Own() + " (" + OwnName() +
                         ") into \"" + kit + "\"") != std::string::npos);
    // What it made, the manifest first.
    std::vector<std::string> made = Lines(first.out);
    REQUIRE(made.size() == modules.size() + 2);
    CHECK(made[0] == kit + "\\QuendrixKit.report.txt");
    CHECK(made[1] == kit + "\\QuendrixKit.copied.csv");
    std::multiset<std::string> expected, listed(made.begin() + 2, made.end()), copied;
    for (const std::string& module : modules) {
        expected.insert(kit + "\\" + NameOf(module));
        copied.insert(module + ": copied");
        CHECK_MESSAGE(testing::FileContent(kit + "\\" + NameOf(module)) == testing::FileContent(module), module);
    }
    CHECK(listed == expected);
    CHECK(testing::FileContent(made[0]) == report.out);
    const std::string list = testing::FileContent(made[1]);
    CHECK(CsvHeading(list) == "file,outcome,reason,path");
    CHECK(Outcomes(list) == copied);
    // The kit's report agrees with the process that it was made of.
    Run same = Cli("diff \"" + made[0] + "\" " + Own());
    CHECK(same.exit == 0);

    // Again: nothing is overwritten, not even a file changed since; a manifest of its own says so.
    const std::string changed = kit + "\\" + NameOf(modules[0]);
    fixtures::WriteBytes(changed, "changed");
    Run second = Cli("copy " + Own() + " \"" + kit + "\"");
    CHECK(second.exit == 1);
    CHECK(second.out == kit + "\\QuendrixKit-2.report.txt\r\n" + kit + "\\QuendrixKit-2.copied.csv\r\n");
    CHECK(Count(second.err, ": a file of that name is already in the folder\r\n") == modules.size());
    CHECK(second.err.find("copied 0 of the " + std::to_string(modules.size()) + " modules of " + Own() + " (" +
                          OwnName() + ") into \"" + kit + "\"; " + std::to_string(modules.size()) +
                          " already there") != std::string::npos);
    CHECK(second.err.find("made the folder") == std::string::npos);
    CHECK(testing::FileContent(changed) == "changed");
    CHECK(testing::FileContent(made[0]) == report.out);
    CHECK(testing::FileContent(kit + "\\QuendrixKit-2.report.txt") == report.out);
    std::multiset<std::string> already;
    for (const std::string& module : modules)
        already.insert(module + ": already there");
    CHECK(Outcomes(testing::FileContent(kit + "\\QuendrixKit-2.copied.csv")) == already);

    // Without the system's files: the placed ones as their table says; every other module is the
    // system's own, which lies below the system folder.
    const std::string lean = owned + "\\lean";
    Run third = Cli("copy " + Own() + " \"" + lean + "\" --no-system");
    CHECK(third.exit == 0);
    std::multiset<std::string> kept, outcomes;
    for (const std::string& module : modules) {
        const auto placed = leftOut.find(Lower(module));
        REQUIRE_MESSAGE((placed != leftOut.end() || Lower(module).rfind(Lower(systemFolder) + "\\", 0) == 0), module);
        const bool system = placed == leftOut.end() || placed->second;
        outcomes.insert(module + (system ? ": system file" : ": copied"));
        if (!system)
            kept.insert(lean + "\\" + NameOf(module));
    }
    REQUIRE(kept.count(lean + "\\fx_full.dll") == 1);
    REQUIRE(kept.size() < modules.size());
    std::vector<std::string> leanMade = Lines(third.out);
    REQUIRE(leanMade.size() == kept.size() + 2);
    CHECK(std::multiset<std::string>(leanMade.begin() + 2, leanMade.end()) == kept);
    CHECK(Outcomes(testing::FileContent(lean + "\\QuendrixKit.copied.csv")) == outcomes);
    CHECK(testing::FileContent(lean + "\\QuendrixKit.report.txt") == report.out);

    // Into a folder beyond MAX_PATH, named with "/" and "..": made where the full path says, with
    // the manifest and the copies in it.
    const std::string part(60, 'p');
    std::string above = owned;
    for (int i = 0; i < 4; ++i) {
        above += "\\" + part;
        REQUIRE(::CreateDirectoryW((L"\\\\?\\" + Wide(above)).c_str(), nullptr));
    }
    const std::string deep = above + "\\kit";
    REQUIRE(deep.size() >= MAX_PATH);
    std::string typed = owned + "\\" + part + "\\..\\" + part + "\\" + part + "\\.\\" + part + "\\" + part + "\\kit";
    for (char& c : typed)
        if (c == '\\')
            c = '/';
    Run distant = Cli("copy " + Own() + " \"" + typed + "\" --no-system");
    CHECK(distant.exit == 0);
    CHECK_MESSAGE(distant.err.find("QuendrixCli: made the folder \"" + typed + "\"\r\n") == 0, distant.err);
    CHECK(testing::FileContent(L"\\\\?\\" + Wide(deep) + L"\\QuendrixKit.report.txt") == report.out);
    CHECK(testing::FileContent(L"\\\\?\\" + Wide(deep) + L"\\fx_full.dll") ==
          testing::FileContent(fixtures::Directory() + "fx_full.dll"));
}
