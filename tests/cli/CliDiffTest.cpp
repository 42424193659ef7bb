// diff end to end: the dialog's saved report of this process against the console's report after
// fixture modules of known versions were unloaded and loaded, and against the running process.
#include <doctest/doctest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

// A fixture module copied into `folder` under `name` and loaded from there until freed.
struct Loaded {
    HMODULE module = nullptr;
    std::string path;  // as the system names the loaded module
    Loaded(const std::string& folder, const char* fixture, const char* name)
    {
        std::string copy = folder + "\\" + name;
        REQUIRE(::CopyFileA((fixtures::Directory() + fixture).c_str(), copy.c_str(), TRUE));
        module = ::LoadLibraryA(copy.c_str());
        REQUIRE(module != nullptr);
        char named[MAX_PATH] = "";
        ::GetModuleFileNameA(module, named, MAX_PATH);
        path = named;
    }
    ~Loaded() { Free(); }
    void Free()
    {
        if (module)
            ::FreeLibrary(module);
        module = nullptr;
    }
};

const fixtures::Fixture& FixtureNamed(const char* file)
{
    for (const fixtures::Fixture& fixture : fixtures::All())
        if (std::string(fixture.file) == file)
            return fixture;
    FAIL("no fixture " << file);
    return fixtures::All().front();
}

// A fixture's UTF-8 text as it comes back out of a report, which holds it in the ANSI code page.
std::string ThroughReport(const char* utf8)
{
    std::string ansi = fixtures::Ansi(utf8);
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                                           static_cast<int>(wide.size()))));
    return Utf8(wide);
}

}  // namespace

TEST_CASE("diff names what changed between the dialog's saved report and a later report or the process" * doctest::test_suite(kShowsDialog) * doctest::skip())
{
    const std::string owned = testing::FreshFolder("quendrix-cli-diff");
    const std::string root = owned, a = root + "\\a", b = root + "\\b";
    REQUIRE(::CreateDirectoryA(a.c_str(), nullptr));
    REQUIRE(::CreateDirectoryA(b.c_str(), nullptr));
    // Whatever the dialog loads for itself is loaded before the report that counts.
    DialogSave(root + "\\warm-up.txt");
    Loaded gone(a, "fx_none.dll", "gone.dll"), before(a, "fx_desc.dll", "same.dll");
    const std::string saved = root + "\\before.txt";
    const std::string dialog = DialogSave(saved);
    REQUIRE(dialog.find("\\gone.dll\t(V") != std::string::npos);
    gone.Free();
    before.Free();
    Loaded after(b, "fx_otherkey.dll", "same.dll"), added(b, "fx_full.dll", "new.dll");
    const std::string later = root + "\\after.txt";
    REQUIRE(Cli("report " + Own() + " --output \"" + later + "\"").exit == 0);

    const fixtures::Fixture &none = FixtureNamed("fx_none.dll"), &desc = FixtureNamed("fx_desc.dll"),
                            &otherKey = FixtureNamed("fx_otherkey.dll"), &full = FixtureNamed("fx_full.dll");
    REQUIRE((none.description == nullptr && otherKey.description == nullptr));
    // module, change, version_a, version_b, direction, description_a, description_b, path_a, path_b
    const std::vector<std::vector<std::string>> expected = {
        {"gone.dll", "only in A", none.version, "", "", "", "", gone.path, ""},
        {"new.dll", "only in B", "", full.version, "", "", ThroughReport(full.description), "", added.path},
        {"same.dll", "version and description", desc.version, otherKey.version, "up", ThroughReport(desc.description),
         "", before.path, after.path},
    };
    Run files = Cli("diff \"" + saved + "\" \"" + later + "\" --csv");
    CHECK(files.exit == 1);
    CHECK(CsvHeading(files.out) == "module,change,version_a,version_b,direction,description_a,description_b,path_a,path_b");
    CHECK(CsvRows(files.out) == expected);
    CHECK(files.err.empty());
    // The running process answers as its report does.
    Run live = Cli("diff \"" + saved + "\" " + Own() + " --csv");
    CHECK(live.exit == 1);
    CHECK(CsvRows(live.out) == expected);

    // The same facts as JSON, with null for what a side lacks, and as text.
    Run json = Cli("diff \"" + saved + "\" \"" + later + "\" --json");
    CHECK(json.exit == 1);
    CHECK(json.out.find("{\"module\": \"gone.dll\", \"change\": \"only in A\", \"version_a\": \"" + std::string(none.version) +
                        "\", \"version_b\": null, \"direction\": null, \"description_a\": null") != std::string::npos);
    CHECK(json.out.find("\"direction\": \"up\"") != std::string::npos);
    Run text = Cli("diff \"" + saved + "\" \"" + later + "\" --no-header");
    CHECK(text.out.rfind("gone.dll  only in A", 0) == 0);

    // By path, a module in another folder is another module.
    Run byPath = Cli("diff \"" + saved + "\" \"" + later + "\" --by-path --csv");
    CHECK(byPath.exit == 1);
    std::vector<std::string> changes;
    for (const auto& row : CsvRows(byPath.out))
        changes.push_back(row.at(1) + " " + row.at(0));
    CHECK(changes == std::vector<std::string>{"only in A " + gone.path, "only in A " + before.path,
                                              "only in B " + added.path, "only in B " + after.path});

    // Lists that agree; a program's file names its process.
    Run agree = Cli("diff \"" + later + "\" " + Own() + " --json");
    CHECK(agree.exit == 0);
    CHECK(agree.out == "[]\r\n");
    char program[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    CHECK(Cli("diff \"" + std::string(program) + "\" \"" + later + "\"").exit == 0);

    // A file that is not a report is named with its line.
    const std::string bad = root + "\\bad.txt";
    fixtures::WriteBytes(bad, "Module zum Prozess: x.exe\r\n\r\nC:\\a.dll\t(V1.0)\r\nno module here\r\n");
    for (const std::string& arguments : {"diff \"" + bad + "\" \"" + later + "\"", "diff \"" + later + "\" \"" + bad + "\""}) {
        Run refused = Cli(arguments);
        CHECK(refused.exit == 2);
        CHECK(refused.out.empty());
        CHECK_MESSAGE(refused.err.find("\"" + bad + "\" is not a module report: line 4 ") != std::string::npos, refused.err);
    }
    Run missing = Cli("diff \"" + later + "\" \"" + root + "\\no such report.txt\"");
    CHECK(missing.exit == 2);
}
