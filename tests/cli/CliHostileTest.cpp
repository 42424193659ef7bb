// What a hostile module makes of the console program's output, end to end: a version resource
// that forges report lines and carries escape sequences, C1 and direction controls and a lone
// surrogate (fx_hostile.dll, loaded under a file name that a spreadsheet would run); and a module
// file named like a device (com1.dll) while the prefix's COM1 leads to a pipe that never answers.
#include <doctest/doctest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "framework/Handles.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

// What fx_hostile.dll's resource holds (tests/export/fixtures/hostile_version.py), in UTF-8: its
// product version, and its description up to its first character beyond ASCII and after it.
const char kVersion[] = "=1+2\r\nC:\\x\\forged2.dll\t(V2";
const char kDescriptionAscii[] =
    "desc)\r\nC:\\windows\\system32\\forged.dll\t(V6.6.6.6, forged entry\x1B]0;owned\x07\x1B[2J\x7F";
const char kDescriptionRest[] = "\xC2\x9B" "31m\xE2\x80\xAEgnp.exe";  // U+009B, U+202E; then a lone
                                                                      // surrogate and " end"

// A library loaded from `path` (a whole path) until the end of the case.
struct Loaded {
    HMODULE module;
    explicit Loaded(const std::wstring& path) : module(::LoadLibraryW(path.c_str())) {}
    ~Loaded()
    {
        if (module)
            ::FreeLibrary(module);
    }
};

std::vector<std::string> RowWith(const std::string& csv, size_t column, const std::string& value)
{
    for (const auto& row : CsvRows(csv))
        if (row.at(column) == value)
            return row;
    return {};
}

// The line of `text` (CR LF ended) that holds `part`; empty when none does.
std::string LineWith(const std::string& text, const std::string& part)
{
    const size_t at = text.find(part);
    if (at == std::string::npos)
        return std::string();
    const size_t start = text.rfind("\r\n", at);
    const size_t begin = start == std::string::npos ? 0 : start + 2;
    return text.substr(begin, text.find("\r\n", at) - begin);
}

// Whether every line of `text` ends in CR LF and holds no other control character but TABs.
bool OnlyWholeLines(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        else if ((c < 0x20 && c != '\t') || c == 0x7F)
            return false;
    }
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

}  // namespace

TEST_CASE("a module's hostile version resource stays on its lines, runs nothing, and diff reads every report back" *
          doctest::test_suite(kShowsDialog) * doctest::skip())
{
    const std::string folder = fixtures::FreshTempFolder("quendrix-cli-hostile");
    // A file name that a spreadsheet would take for a formula.
    const std::string path = folder + "=1+2,@x;y.dll";
    REQUIRE(::CopyFileA((fixtures::Directory() + "fx_hostile.dll").c_str(), path.c_str(), TRUE));
    Loaded hostile(Wide(path));
    REQUIRE(hostile.module != nullptr);

    // The dialog's save and the console's report: the same bytes, the module on one line with
    // each control shown, and no line that the module forged.
    const Reports reports = DialogAndConsoleReports(folder);
    CHECK(reports.console.exit == 0);
    CHECK(reports.console.out == reports.dialog);
    const std::string& report = reports.dialog;
    const std::string line = LineWith(report, path + "\t");
    CHECK_MESSAGE(line.rfind(path + "\t(V=1+2<U+000D><U+000A>C:\\x\\forged2.dll<U+0009>(V2, desc)<U+000D><U+000A>"
                                    "C:\\windows\\system32\\forged.dll<U+0009>(V6.6.6.6, forged entry<U+001B>]0;owned"
                                    "<U+0007><U+001B>[2J<U+007F>",
                             0) == 0,
                  line);
    CHECK(line.size() > 5);
    CHECK(line.compare(line.size() - 5, 5, " end)") == 0);
    CHECK(OnlyWholeLines(report));
    CHECK(report.find("\r\nC:\\windows\\system32\\forged.dll") == std::string::npos);
    // Each module line has the report's one TAB.
    CHECK(Count(report, "\t") + 2 == Count(report, "\r\n"));

    // diff reads the process's report back, and the saved one.
    const Run same = Cli("diff " + Own() + " " + Own() + " --json");
    CHECK(same.exit == 0);
    CHECK(same.out == "[]\r\n");
    CHECK_MESSAGE(same.err.empty(), same.err);
    fixtures::WriteBytes(folder + "saved.txt", report);
    CHECK(Cli("diff \"" + folder + "saved.txt\" " + Own()).exit == 0);

    // The listings: CSV exact but for the formula's start and the lone surrogate; JSON exact;
    // text on one line, every control shown.
    const Run csv = Cli("modules " + Own() + " --csv");
    REQUIRE(csv.exit == 0);
    const std::vector<std::string> row = RowWith(csv.out, 0, path);
    REQUIRE(row.size() == 5);
    CHECK(row[1] == "6.6.6.6");
    CHECK(row[2] == std::string("'") + kVersion);
    CHECK(row[3] == std::string(kDescriptionAscii) + kDescriptionRest + "<U+D800> end");
    const Run json = Cli("modules " + Own() + " --json");
    REQUIRE(json.exit == 0);
    CHECK_MESSAGE(json.out.find("\"product_version\": \"=1+2\\r\\nC:\\\\x\\\\forged2.dll\\t(V2\", \"description\": "
                                "\"desc)\\r\\nC:\\\\windows\\\\system32\\\\forged.dll\\t(V6.6.6.6, forged entry"
                                "\\u001b]0;owned\\u0007\\u001b[2J\x7F" +
                                std::string(kDescriptionRest) + "\\ud800 end\"") != std::string::npos,
                  json.out);
    const Run text = Cli("modules " + Own());
    REQUIRE(text.exit == 0);
    CHECK(OnlyWholeLines(text.out));
    CHECK_MESSAGE(LineWith(text.out, "=1+2,@x;y.dll").find("=1+2<U+000D><U+000A>C:\\x\\forged2.dll<U+0009>(V2") !=
                      std::string::npos,
                  text.out);
    CHECK(LineWith(text.out, "=1+2,@x;y.dll").find("<U+009B>31m<U+202E>gnp.exe<U+D800> end") != std::string::npos);

    // The kit lists the module's file name as text, and its manifest reads back.
    const std::string kit = folder + "kit";
    const Run copy = Cli("copy " + Own() + " \"" + kit + "\" --no-system");
    CHECK(copy.exit == 0);
    const std::vector<std::string> listed = RowWith(testing::FileContent(kit + "\\QuendrixKit.copied.csv"), 3, path);
    REQUIRE(listed.size() == 4);
    CHECK(listed[0] == "'=1+2,@x;y.dll");
    CHECK(listed[1] == "copied");
    CHECK(Cli("diff \"" + kit + "\\QuendrixKit.report.txt\" " + Own()).exit == 0);
}

TEST_CASE("a module named like a device is read and copied as its file, never opened as the device" *
          doctest::skip())
{
    // The ctest entry leads the prefix's COM1 to a pipe that nobody writes, and back afterwards.
    const std::string folder = fixtures::FreshTempFolder("quendrix-cli-device");
    const std::wstring file = Wide(folder + "com1.dll"), copied = Wide(folder + "kit\\com1.dll");
    REQUIRE(::CopyFileW(Wide(fixtures::Directory() + "fx_full.dll").c_str(), (L"\\\\?\\" + file).c_str(), TRUE));
    {
        Loaded device(L"\\\\?\\" + file);
        REQUIRE(device.module != nullptr);
        // The name as it is reaches the pipe, not the file; opening a pipe does not block, reading
        // the version through it does.
        KernelHandle port(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        REQUIRE(port);
        REQUIRE_MESSAGE(::GetFileType(port.Get()) == FILE_TYPE_PIPE,
                        "COM1 leads to no pipe: run this case through its ctest entry, cli_device_test");
        port.Close();

        const Run modules = Cli("modules " + Own() + " --csv");
        CHECK(modules.exit == 0);
        const std::vector<std::string> row = RowWith(modules.out, 0, Utf8(file));
        REQUIRE_MESSAGE(row.size() == 5, modules.out);
        CHECK(row[1] == "2.1.0.7");
        CHECK(row[4] == "resource");
        for (const std::string& named : {std::string("com1.dll"), Utf8(file)}) {
            const Run found = Cli("find \"" + named + "\" --csv");
            CHECK(found.exit == 0);
            CHECK(Column0(found.out).count(::GetCurrentProcessId()) == 1);
        }
        const Run report = Cli("report " + Own());
        CHECK(report.exit == 0);
        CHECK(report.out.find("\r\n" + Utf8(file) + "\t(V2.1.0.7, Sample Library)\r\n") != std::string::npos);
        const Run stale = Cli("stale " + Own() + " --csv");
        CHECK(RowWith(stale.out, 2, Utf8(file)).empty());
        const Run copy = Cli("copy " + Own() + " \"" + folder + "kit\" --no-system");
        CHECK(copy.exit == 0);
        CHECK(testing::FileContent(L"\\\\?\\" + copied) == testing::FileContent(fixtures::Directory() + "fx_full.dll"));
    }
    // The folder's owner removes what the system names plainly; these it would take for the port.
    ::DeleteFileW((L"\\\\?\\" + copied).c_str());
    ::DeleteFileW((L"\\\\?\\" + file).c_str());
}
