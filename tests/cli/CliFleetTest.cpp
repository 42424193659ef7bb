// fleet end to end: a folder tree of reports as a fleet holds them (sites, a kit's folder with its
// modules and CSV, deep and long folders, a file named like a port, a damaged report), the same
// fleet asked each way, and a tree whose links lead back into it.
#include <doctest/doctest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

std::string Report(const std::vector<std::string>& lines)
{
    std::string bytes = "Module zum Prozess: app.exe\r\n\r\n";
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Writes `bytes` into `path` (UTF-8) in the form that names exactly that file, however long or
// whatever its name, making its folders.
void Write(const std::string& path, const std::string& bytes)
{
    const std::wstring whole = L"\\\\?\\" + Wide(path);
    for (size_t at = whole.find(L'\\', 7); at != std::wstring::npos; at = whole.find(L'\\', at + 1))
        ::CreateDirectoryW(whole.substr(0, at).c_str(), nullptr);
    HANDLE file = ::CreateFileW(whole.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "error " << ::GetLastError() << " writing " << path);
    DWORD written = 0;
    CHECK(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
}

std::vector<std::string> Row(std::initializer_list<std::string> cells)
{
    return cells;
}

}  // namespace

TEST_CASE("fleet names the machines of a folder tree that differ from the rest")
{
    const std::string root = testing::FreshFolder("quendrix-cli-fleet");
    const std::string app = "C:\\App\\app.exe\t(V1.0, App)", zlib13 = "C:\\App\\zlib1.dll\t(V1.2.13)",
                      zlib11 = "D:\\App\\zlib1.dll\t(V1, 2, 11)", plugin = "C:\\App\\plugin.dll\t(V2.0, Plug-in)";
    std::string deep = "deep";
    for (int i = 0; i < 40; ++i)
        deep += "\\d";
    const std::string longFolder(240, 'q');
    Write(root + "\\eu\\pc1.txt", Report({app, zlib13}));
    Write(root + "\\eu\\pc2.txt", Report({zlib13, app}));
    Write(root + "\\eu\\pc3.txt", Report({app, zlib11}));
    Write(root + "\\us\\kit\\QuendrixKit.report.txt", Report({app, zlib13, plugin}));
    Write(root + "\\us\\kit\\QuendrixKit.copied.csv", "path,outcome\r\n");
    Write(root + "\\us\\kit\\zlib1.dll", "MZ");
    Write(root + "\\" + deep + "\\pc4.txt", Report({app}));
    Write(root + "\\" + longFolder + "\\pc5.txt", Report({app, zlib11}));
    Write(root + "\\com1.txt", Report({app, zlib13}));
    Write(root + "\\bad.txt", "Module zum Prozess: app.exe\r\n\r\nC:\\App\\app.exe (V1.0)\r\n");

    // process, module, group_machines, present, version, machines, state, differing
    Run all = Cli("fleet \"" + root + "\" --csv");
    CHECK(all.exit == 1);
    CHECK(CsvHeading(all.out) == "process,module,group_machines,present,version,machines,state,differing");
    CHECK(CsvRows(all.out) == std::vector<std::vector<std::string>>{
                                  Row({"app.exe", "app.exe", "7", "7", "1.0", "7", "most", ""}),
                                  Row({"app.exe", "plugin.dll", "7", "1", "2.0", "1", "extra", "us\\kit"}),
                                  Row({"app.exe", "zlib1.dll", "7", "6", "1.2.13", "4", "most", ""}),
                                  Row({"app.exe", "zlib1.dll", "7", "6", "1, 2, 11", "2", "other",
                                       "eu\\pc3.txt|" + longFolder + "\\pc5.txt"}),
                                  Row({"app.exe", "zlib1.dll", "7", "6", "", "1", "missing", deep + "\\pc4.txt"}),
                              });
    CHECK_MESSAGE(all.err == "QuendrixCli: \"" + root + "\\bad.txt\" is not a module report: line 3 has no TAB between path and version\r\n",
                  all.err);

    // Each machine's differences, as JSON; as text without the heading.
    Run machines = Cli("fleet \"" + root + "\" --machines --json");
    CHECK(machines.exit == 1);
    CHECK(Count(machines.out, "{\"process\": \"app.exe\", \"machine\": ") == 4);
    CHECK(machines.out.find("{\"process\": \"app.exe\", \"machine\": \"deep\\\\d\\\\d") != std::string::npos);
    CHECK(machines.out.find("\"state\": \"missing\", \"version\": null, \"most_version\": \"1.2.13\", \"paths\": null}") !=
          std::string::npos);
    CHECK(machines.out.find("\"module\": \"zlib1.dll\", \"state\": \"other\", \"version\": \"1, 2, 11\", \"most_version\": "
                            "\"1.2.13\", \"paths\": \"D:\\\\App\\\\zlib1.dll\"}") != std::string::npos);
    Run rare = Cli("fleet \"" + root + "\" --rare 1 --no-header");
    CHECK(rare.exit == 1);
    CHECK(rare.out == "1  app.exe  plugin.dll  us\\kit  C:\\App\\plugin.dll  2.0\r\n");

    // Files named by themselves: by their names, a kit by its folder; alike names by whole paths.
    Write(root + "-twin\\pc1.txt", Report({app, zlib11}));
    Run named = Cli("fleet \"" + root + "\\eu\\pc1.txt\" \"" + root + "\\us\\kit\\QuendrixKit.report.txt\" \"" + root +
                    "-twin\\pc1.txt\" --machines --csv");
    CHECK(named.exit == 1);
    CHECK(CsvRows(named.out) == std::vector<std::vector<std::string>>{
                                    Row({"app.exe", root + "-twin\\pc1.txt", "zlib1.dll", "other", "1, 2, 11", "1.2.13",
                                         "D:\\App\\zlib1.dll"}),
                                    Row({"app.exe", "kit", "plugin.dll", "extra", "2.0", "", "C:\\App\\plugin.dll"}),
                                });
    ::DeleteFileA((root + "-twin\\pc1.txt").c_str());
    ::RemoveDirectoryA((root + "-twin").c_str());

    // Machines that agree; a file that cannot be read beside them; nothing readable; usage.
    const std::string agree = "fleet \"" + root + "\\eu\\pc1.txt\" \"" + root + "\\eu\\pc2.txt\" \"" + root + "\\eu\\pc1.txt\"";
    CHECK(Cli(agree).exit == 0);
    Run unsure = Cli(agree + " \"" + root + "\\no such.txt\"");
    CHECK(unsure.exit == 3);
    CHECK(unsure.err.find("cannot read \"" + root + "\\no such.txt\"") != std::string::npos);
    Run none = Cli("fleet \"" + root + "\\bad.txt\"");
    CHECK(none.exit == 2);
    CHECK(none.out.empty());
    for (const char* usage : {"fleet", "fleet . --rare 0", "fleet . --rare x", "fleet . --machines --rare 2"}) {
        Run refused = Cli(usage);
        CHECK_MESSAGE(refused.exit == 2, usage);
        CHECK_MESSAGE(refused.err.find("try --help") != std::string::npos, refused.err);
    }
}

TEST_CASE("fleet walks each folder once, whatever links lead back into the tree")
{
    // The build made lab\up (to the tree) and lab\again (to itself): a test cannot make links.
    Run loop = Cli("fleet \"" + testing::ExeDirectory() + "fleet-loop\" --rare 5 --csv");
    CHECK(loop.exit == 0);
    CHECK(CsvRows(loop.out) == std::vector<std::vector<std::string>>{
                                   Row({"1", "lab.exe", "lab.exe", "lab\\pc.txt", "C:\\Lab\\lab.exe", "1.0"})});
    CHECK(loop.err.empty());
}
