// Reading module reports back: real-looking lines against a hand-worked table of their parts,
// and files that are not reports against the line that gives them away.
#include <doctest/doctest.h>

#include <string>

#include "compare/ReportReader.h"

namespace {

const char kHeader[] = "Module zum Prozess: app.exe\r\n\r\n";

}  // namespace

TEST_CASE("a line's text splits into version and description where it can be split for sure")
{
    struct Case {
        const char* text;
        bool split;
        const char* version;
        const char* description;  // null: none
    } cases[] = {
        {"5.1.2600.2180", true, "5.1.2600.2180", nullptr},
        {"5.1.2600.2180, Windows NT BASE API Client DLL", true, "5.1.2600.2180", "Windows NT BASE API Client DLL"},
        {"5, 1, 2600, 2180", true, "5, 1, 2600, 2180", nullptr},
        {"6, 00, 2900, 5512, Microsoft (R) C Runtime Library", true, "6, 00, 2900, 5512",
         "Microsoft (R) C Runtime Library"},
        {"1, 0, 0, 1, Sample (beta), Widgets, Inc.", true, "1, 0, 0, 1", "Sample (beta), Widgets, Inc."},
        {"2, 5, Viewer", true, "2, 5", "Viewer"},
        {"7, Plug-in", true, "7", "Plug-in"},
        {"1,0,0,1", true, "1,0,0,1", nullptr},
        {"5.01", true, "5.01", nullptr},
        {"5.01, Nur Beschreibung \x96 Gr\xF6\xDF" "e \xE4ndern", true, "5.01",
         "Nur Beschreibung \x96 Gr\xF6\xDF" "e \xE4ndern"},
        {"1.0 (marketing), Widgets, Inc. (x86)", true, "1.0 (marketing)", "Widgets, Inc. (x86)"},
        {"2.0, Loader (x86))", true, "2.0", "Loader (x86))"},
        {"3.0 beta", true, "3.0 beta", nullptr},
        {"unknown", true, "unknown", nullptr},
        {"unknown, Ohne Kopf", true, "unknown", "Ohne Kopf"},
        {"", true, "", nullptr},
        {", Nur Beschreibung", true, "", "Nur Beschreibung"},
        {"2.0,,, Doppelt, Komma,", true, "2.0,,", "Doppelt, Komma,"},
        {"10.0\r\nBuild 7, Eine sehr lange Beschreibung, ", true, "10.0\r\nBuild 7", "Eine sehr lange Beschreibung, "},
        // A fifth number, or a number with more after it, could end the version or begin the
        // description: the line is compared whole.
        {"1, 0, 0, 1, 2", false, "1, 0, 0, 1, 2", nullptr},
        {"5, 1, 2600, 2180 (xpsp_sp2_rtm.040803-2158), Shell", false,
         "5, 1, 2600, 2180 (xpsp_sp2_rtm.040803-2158), Shell", nullptr},
        {"6, 1, 7600, 16385, 3D Viewer", false, "6, 1, 7600, 16385, 3D Viewer", nullptr},
        {"4, 0 beta, Tool", false, "4, 0 beta, Tool", nullptr},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        VersionStatement statement = SplitStatement(c.text);
        CHECK(statement.split == c.split);
        CHECK(std::string(statement.version) == c.version);
        CHECK(statement.hasDescription == (c.description != nullptr));
        CHECK(std::string(statement.description) == (c.description ? c.description : ""));
    }
}

TEST_CASE("a report's lines give each module's path and the text after it, line feeds and all")
{
    ParsedReport report;
    report.bytes = std::string(kHeader) +
                   "C:\\Programme\\Gr\xF6\xDF" "e\\plugin.dll\t(V1, 0, 0, 1, Plug-in)\r\n"
                   "C:\\App\\long.dll\t(V10.0\r\nBuild 7, Lang)\r\n"
                   "C:\\App\\bare.dll\t(V)\n"
                   "C:\\App\\last.dll\t(Vunknown)";
    ReportFault fault;
    REQUIRE(ParseReport(report, fault));
    CHECK(report.process == "app.exe");
    const char* expected[][2] = {{"C:\\Programme\\Gr\xF6\xDF" "e\\plugin.dll", "1, 0, 0, 1, Plug-in"},
                                 {"C:\\App\\long.dll", "10.0\r\nBuild 7, Lang"},
                                 {"C:\\App\\bare.dll", ""},
                                 {"C:\\App\\last.dll", "unknown"}};
    REQUIRE(report.modules.size() == std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        CHECK(std::string(report.modules[i].Path()) == expected[i][0]);
        CHECK(std::string(report.modules[i].Text()) == expected[i][1]);
    }
}

TEST_CASE("a file that is not a report is refused with the line that shows it")
{
    const std::string h = kHeader;
    struct Case {
        std::string bytes;
        size_t line;
        const char* why;
        size_t mostModules = kAnyModules;
    } cases[] = {
        {"", 1, "empty"},
        {"\xFF\xFEM\0o\0", 1, "does not begin with \"Module zum Prozess: \""},
        {"Modules of app.exe\r\n\r\n", 1, "does not begin with"},
        {"Module zum Prozess: app.exe\r\n", 2, "empty line"},
        {"Module zum Prozess: app.exe\r\nC:\\a.dll\t(V1.0)\r\n", 2, "empty line"},
        {h + "C:\\a.dll (V1.0)\r\n", 3, "no TAB"},
        {h + "\t(V1.0)\r\n", 3, "no path"},
        {h + "C:\\a.dll\t1.0\r\n", 3, "(V"},
        {h + "C:\\a.dll\t(V1.0)\r\nC:\\b.dll\t(V2.0, cut sh", 4, "\")\""},
        {h + "C:\\a.dll\t(V1.0)\r\ngarbage\r\nC:\\b.dll\t(V2.0)\r\n", 4, "\")\""},
        {h + "C:\\a.dll\t(V1.0)\r\n\r\n", 4, "\")\""},
        {h + "C:\\a.dll\t(V1.0)\r\n" + std::string(100000, 'x') + "\r\n", 4, "\")\""},
        {h + "C:\\a.dll\t(V1.0)\r\nC:\\b.dll\t(V1.0)\r\nC:\\c.dll\t(V1.0)\r\n", 5, "more modules", 2},
    };
    for (const Case& c : cases) {
        CAPTURE(c.bytes.substr(0, 80));
        ParsedReport report;
        report.bytes = c.bytes;
        ReportFault fault;
        CHECK_FALSE(ParseReport(report, fault, c.mostModules));
        CHECK(fault.line == c.line);
        CHECK_MESSAGE(fault.why.find(c.why) != std::string::npos, "expected \"" << c.why << "\", got \"" << fault.why << "\"");
    }
}
