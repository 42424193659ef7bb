// The console program on whole paths: a module at a path too long for the ANSI functions, one
// in characters that the ANSI code page lacks, and one whose ANSI path the code page bends into
// another file's; and processes of the other bitness.
#include <doctest/doctest.h>

#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

// Fixture modules loaded into this process from whole paths, unloaded at the end.
struct LoadedModules {
    std::vector<HMODULE> modules;
    ~LoadedModules()
    {
        for (HMODULE module : modules)
            ::FreeLibrary(module);
    }
    void Load(const std::wstring& path)
    {
        modules.push_back(::LoadLibraryW(path.c_str()));
        REQUIRE_MESSAGE(modules.back() != nullptr, Utf8(path));
    }
};

std::wstring Fixture(const char* name)
{
    return Wide(fixtures::Directory() + name);
}

// The CSV row of `rows` whose column `column` is `value`; empty when none is.
std::vector<std::string> RowWith(const std::vector<std::vector<std::string>>& rows, size_t column,
                                 const std::string& value)
{
    for (const auto& row : rows)
        if (row.at(column) == value)
            return row;
    return {};
}

}  // namespace

TEST_CASE("modules, find, report and copy take a module by its whole path" * doctest::test_suite(kShowsDialog) * doctest::skip())
{
    // The bent name needs a code page without a fullwidth reverse solidus: its ctest entry's 1252.
    REQUIRE_MESSAGE(::GetACP() == 1252, "this test needs the ANSI code page 1252; script/test sets it");
    const std::wstring root = Wide(fixtures::FreshTempFolder("quendrix-cli-paths"));
    // Longer than MAX_PATH, in folders of 60 characters.
    std::wstring longFolder = L"\\\\?\\" + root;
    for (wchar_t part = L'a'; part < L'f'; ++part) {
        longFolder += std::wstring(60, part) + L"\\";
        REQUIRE(::CreateDirectoryW(longFolder.c_str(), nullptr));
    }
    const std::wstring longPath = longFolder.substr(4) + L"long.dll";
    // Outside the ANSI code page.
    const std::wstring japanese = root + L"\x65E5\x672C";
    REQUIRE(::CreateDirectoryW(japanese.c_str(), nullptr));
    const std::wstring japanesePath = japanese + L"\\\x65E5\x672C.dll";
    // One file name that the code page bends into "x\..\..\bent.dll", which names the decoy.
    REQUIRE(::CreateDirectoryW((root + L"d").c_str(), nullptr));
    const std::wstring bentPath = root + L"d\\x\xFF3C..\xFF3C..\xFF3C" L"bent.dll";
    const std::wstring decoy = root + L"bent.dll";
    const std::string bentAnsi = Utf8(root) + "d\\x\\..\\..\\bent.dll";

    struct Case { std::wstring path; const char* fixture; const char* version; } cases[] = {
        {longPath, "fx_full.dll", "2.1.0.7"},
        {japanesePath, "fx_desc.dll", "1.0.0.0"},
        {bentPath, "fx_full.dll", "2.1.0.7"},
    };
    REQUIRE(::CopyFileW(Fixture("fx_product.dll").c_str(), decoy.c_str(), TRUE));
    LoadedModules loaded;
    for (const Case& c : cases) {
        REQUIRE(::CopyFileW(Fixture(c.fixture).c_str(), (L"\\\\?\\" + c.path).c_str(), TRUE));
        loaded.Load(L"\\\\?\\" + c.path);
    }

    // Listed whole, with the version of the very file.
    Run modules = Cli("modules " + Own() + " --csv");
    REQUIRE(modules.exit == 0);
    for (const Case& c : cases) {
        CAPTURE(Utf8(c.path));
        std::vector<std::string> row = RowWith(CsvRows(modules.out), 0, Utf8(c.path));
        REQUIRE(row.size() == 5);
        CHECK(row.at(1) == c.version);
        CHECK(row.at(4) == "resource");
        Run found = Cli("find \"" + Utf8(c.path) + "\" --csv");
        CHECK(found.exit == 0);
        CHECK_FALSE(RowWith(CsvRows(found.out), 2, Utf8(c.path)).empty());
    }

    // The report reads no file under a name that is not the module's: the dialog's save and the
    // console's report state those versions as unknown, and never the decoy's.
    Reports reports = DialogAndConsoleReports(Utf8(root));
    CHECK(reports.dialog.find(bentAnsi + "\t(Vunknown)\r\n") != std::string::npos);
    CHECK(reports.dialog.find("3.0 beta") == std::string::npos);
    CHECK(reports.dialog.find("long.dll\t(Vunknown)\r\n") != std::string::npos);
    CHECK(reports.console.out == reports.dialog);

    // The copy takes each from its whole path.
    const std::wstring target = root + L"copies";
    REQUIRE(::CreateDirectoryW(target.c_str(), nullptr));
    Run copy = Cli("copy " + Own() + " \"" + Utf8(target) + "\"");
    CHECK_MESSAGE(copy.exit == 0, copy.err);
    for (const Case& c : cases) {
        std::wstring name = c.path.substr(c.path.find_last_of(L'\\') + 1);
        CHECK_MESSAGE(testing::FileContent(target + L"\\" + name) == testing::FileContent(Fixture(c.fixture)), Utf8(name));
    }
}

#ifdef _WIN64
TEST_CASE("each program says which processes of the other bitness it reads, and reads a 32-bit process's own files")
{
    const char* x86 = std::getenv("QUENDRIX_X86_BUILD");
    REQUIRE_MESSAGE(x86 != nullptr, "QUENDRIX_X86_BUILD names no 32-bit build tree");
    const std::wstring cli32 = Wide(std::string(x86) + "\\QuendrixCli.exe");
    // A 32-bit process to read, ready once it has loaded the last of its libraries.
    testing::StartedProcess sleeper(L"\"" + Wide(std::string(x86) + "\\bench\\sleeper.exe") + L"\"");
    REQUIRE(testing::PumpUntil([&] { return HasModule(sleeper.Id(), "psapi.dll"); }, 10000));
    const std::string id32 = std::to_string(sleeper.Id());

    // The 64-bit program names the 32-bit process's kernel32.dll by the folder of 32-bit system
    // files, and reads that file's version: the system's own answer for that file.
    wchar_t folder32[MAX_PATH] = L"";
    REQUIRE(::GetSystemWow64DirectoryW(folder32, MAX_PATH) > 0);
    const std::wstring kernel32 = std::wstring(folder32) + L"\\kernel32.dll";
    DWORD unused = 0, size = ::GetFileVersionInfoSizeW(kernel32.c_str(), &unused);
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE((size && ::GetFileVersionInfoW(kernel32.c_str(), 0, size, block.data()) &&
             ::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)));
    const std::string version = std::to_string(fixed->dwFileVersionMS >> 16) + "." +
                                std::to_string(fixed->dwFileVersionMS & 0xFFFF) + "." +
                                std::to_string(fixed->dwFileVersionLS >> 16) + "." +
                                std::to_string(fixed->dwFileVersionLS & 0xFFFF);
    Run modules = Cli("modules " + id32 + " --csv");
    CHECK(modules.exit == 0);
    bool found = false;
    for (const auto& row : CsvRows(modules.out))
        if (::lstrcmpiW(Wide(row.at(0)).c_str(), kernel32.c_str()) == 0)
            found = row.at(1) == version;
    CHECK_MESSAGE(found, modules.out);

    // The 32-bit program names this 64-bit process and says that it cannot read it, and why.
    Run refused = Cli("modules " + Own(), "", cli32);
    CHECK(refused.exit == 1);
    CHECK_MESSAGE(refused.err.find("process " + Own() + " (" + OwnName() + "): a 64-bit process, which QuendrixCli64 reads") !=
                      std::string::npos,
                  refused.err);
    // Nor does it compare this process with anything: what it cannot read is no difference.
    Run uncompared = Cli("diff " + Own() + " " + Own(), "", cli32);
    CHECK(uncompared.exit == 2);
    CHECK_MESSAGE(uncompared.err.find("a 64-bit process, which QuendrixCli64 reads") != std::string::npos, uncompared.err);
    // Whether this program's file is loaded, it cannot say: it names this process among those
    // it could not read, and its status says that it is unsure.
    Run unsure = Cli("find " + OwnName(), "", cli32);
    CHECK(unsure.exit == 3);
    CHECK_MESSAGE(unsure.err.find(Own() + " (" + OwnName() + ")") != std::string::npos, unsure.err);
    // A module that the 32-bit process holds is found there.
    Run found32 = Cli("find kernel32.dll --csv", "", cli32);
    CHECK(found32.exit == 0);
    CHECK(Column0(found32.out).count(sleeper.Id()) == 1);
}
#endif
