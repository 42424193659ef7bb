// Comparing two module lists: a hand-worked table of the rows that two reports of known
// differences give, by file name and by path, and of versions compared as numbers.
#include <doctest/doctest.h>

#include <string>
#include <utility>
#include <vector>

#include "compare/ModuleDiff.h"

namespace {

const char kA[] =
    "Module zum Prozess: app.exe\r\n\r\n"
    "C:\\WINDOWS\\system32\\ntdll.dll\t(V5.1.2600.2180, NT Layer DLL)\r\n"
    "C:\\WINDOWS\\system32\\KERNEL32.dll\t(V5.1.2600.2180, Windows NT BASE API Client DLL)\r\n"
    "C:\\Programme\\App\\plugin.dll\t(V1, 0, 0, 1, Plug-in)\r\n"
    "C:\\Programme\\App\\old.dll\t(V2.0)\r\n"
    "C:\\WINDOWS\\system32\\msvcrt.dll\t(V7.0.2600.2180, Windows NT CRT DLL)\r\n"
    "C:\\WINDOWS\\WinSxS\\x86_a\\comctl32.dll\t(V6.0, Common Controls)\r\n"
    "C:\\WINDOWS\\system32\\comctl32.dll\t(V5.82, Common Controls)\r\n"
    "C:\\Programme\\App\\odd.dll\t(V1, 0, 0, 1, 2)\r\n"
    "C:\\Programme\\App\\text.dll\t(V1, 0, 0, 1, 2)\r\n"
    "C:\\Programme\\App\\vd.dll\t(V1.0, Alt)\r\n"
    "C:\\Programme\\App\\same.dll\t(V1, 0, 0, 1, Same)\r\n";

const char kB[] =
    "Module zum Prozess: app.exe\r\n\r\n"
    "D:\\WINNT\\system32\\ntdll.dll\t(V5.1.2600.2180, NT Layer DLL)\r\n"
    "D:\\WINNT\\system32\\kernel32.dll\t(V5.1.2600.5512, Windows NT BASE API Client DLL)\r\n"
    "D:\\App\\plugin.dll\t(V1, 0, 0, 2, Plug-in)\r\n"
    "D:\\App\\new.dll\t(V1.0)\r\n"
    "D:\\WINNT\\system32\\msvcrt.dll\t(V7.0.2600.2180, Windows NT C Runtime)\r\n"
    "c:\\windows\\SYSTEM32\\COMCTL32.DLL\t(V5.82, Common Controls)\r\n"
    "C:\\WINDOWS\\WinSxS\\x86_b\\comctl32.dll\t(V6.0.2600, Common Controls)\r\n"
    "D:\\App\\odd.dll\t(V1, 0, 0, 1, 2)\r\n"
    "D:\\App\\text.dll\t(V1, 0, 0, 1, 3)\r\n"
    "D:\\App\\vd.dll\t(V0.9, Neu)\r\n"
    "D:\\App\\same.dll\t(V1.0.0.1, Same)\r\n";

struct Expected {
    const char* module;
    DiffChange change;
    VersionDirection direction;
};

void Parse(ParsedReport& report, const char* bytes)
{
    report.bytes = bytes;
    ReportFault fault;
    REQUIRE_MESSAGE(ParseReport(report, fault), "line " << fault.line << ": " << fault.why);
}

std::string Shown(const ModuleDifference& difference, DiffMatch match)
{
    std::string_view path = (difference.a ? difference.a : difference.b)->Path();
    return std::string(match == DiffMatch::ByName ? ReportedName(path) : path);
}

void CheckRows(const std::vector<ModuleDifference>& got, const std::vector<Expected>& expected, DiffMatch match)
{
    CHECK(got.size() == expected.size());
    for (size_t i = 0; i < got.size() && i < expected.size(); ++i) {
        CAPTURE(i);
        CHECK_MESSAGE(Shown(got[i], match) == expected[i].module,
                      "expected " << expected[i].module << ", got " << Shown(got[i], match));
        CHECK(got[i].change == expected[i].change);
        CHECK(got[i].direction == expected[i].direction);
        CHECK((got[i].a == nullptr) == (expected[i].change == DiffChange::OnlyInB));
        CHECK((got[i].b == nullptr) == (expected[i].change == DiffChange::OnlyInA));
    }
}

}  // namespace

TEST_CASE("by file name, two lists differ in what each lacks and in changed versions and descriptions")
{
    ParsedReport a, b;
    Parse(a, kA);
    Parse(b, kB);
    using C = DiffChange;
    using D = VersionDirection;
    CheckRows(CompareModules(a.modules, b.modules, DiffMatch::ByName),
              {
                  // The name twice in each list: equal paths first, then in the order of paths.
                  {"comctl32.dll", C::Version, D::Up},
                  {"KERNEL32.dll", C::Version, D::Up},
                  {"msvcrt.dll", C::Description, D::Unknown},
                  {"new.dll", C::OnlyInB, D::Unknown},
                  {"old.dll", C::OnlyInA, D::Unknown},
                  {"plugin.dll", C::Version, D::Up},
                  {"same.dll", C::Version, D::Same},
                  {"text.dll", C::Text, D::Unknown},
                  {"vd.dll", C::VersionAndDescription, D::Down},
              },
              DiffMatch::ByName);
    // The twin that both have in one place is matched by its path.
    std::vector<ModuleDifference> rows = CompareModules(a.modules, b.modules, DiffMatch::ByName);
    REQUIRE_FALSE(rows.empty());
    CHECK(std::string(rows[0].a->Path()) == "C:\\WINDOWS\\WinSxS\\x86_a\\comctl32.dll");
    CHECK(std::string(rows[0].b->Path()) == "C:\\WINDOWS\\WinSxS\\x86_b\\comctl32.dll");

    CHECK(CompareModules(a.modules, a.modules, DiffMatch::ByName).empty());
    CHECK(CompareModules(b.modules, b.modules, DiffMatch::ByPath).empty());
}

TEST_CASE("names whose hashes are equal are told apart")
{
    // costarring and liquid, altarage and zinke: names of equal FNV-1a hashes, which a common
    // suffix keeps equal. Should the hash change, the case must find other names.
    const std::pair<const char*, const char*> collisions[] = {{"costarring.dll", "LIQUID.DLL"},
                                                               {"altarage.dll", "zinke.dll"}};
    for (const auto& pair : collisions) {
        CAPTURE(pair.first);
        REQUIRE(FoldedHash(pair.first) == FoldedHash(pair.second));
    }
    ParsedReport a, b;
    Parse(a, "Module zum Prozess: app.exe\r\n\r\n"
             "C:\\App\\liquid.dll\t(V1.0)\r\n"
             "C:\\App\\costarring.dll\t(V1.0)\r\n"
             "C:\\App\\zinke.dll\t(V1.0)\r\n");
    Parse(b, "Module zum Prozess: app.exe\r\n\r\n"
             "D:\\App\\costarring.dll\t(V2.0)\r\n"
             "D:\\App\\altarage.dll\t(V1.0)\r\n"
             "D:\\App\\LIQUID.DLL\t(V1.0)\r\n");
    using C = DiffChange;
    using D = VersionDirection;
    CheckRows(CompareModules(a.modules, b.modules, DiffMatch::ByName),
              {
                  {"altarage.dll", C::OnlyInB, D::Unknown},
                  {"costarring.dll", C::Version, D::Up},
                  {"zinke.dll", C::OnlyInA, D::Unknown},
              },
              DiffMatch::ByName);
}

TEST_CASE("versions written as numbers compare part by part")
{
    using D = VersionDirection;
    struct Case { const char* a; const char* b; D direction; } cases[] = {
        {"5.1.2600.2180", "5.1.2600.5512", D::Up},
        {"5, 1, 2600, 2180", "5.1.2600.2180", D::Same},
        {"6.10", "5.01", D::Down},
        {"5.01", "5.1", D::Same},
        {"1.0", "1.0.0.1", D::Up},
        {"1.0.0.0", "1", D::Same},
        {"2.1.0.7", "10.0", D::Up},
        {"007", "7", D::Same},
        {"0.0", "0", D::Same},
        {"1, 00, 0", "1", D::Same},
        {"1.0.1", "1.1", D::Up},
        {"99999999999999999999.1", "99999999999999999999.2", D::Up},
        {"100000000000000000000", "99999999999999999999", D::Down},
        {"3.0 beta", "3.0", D::Unknown},
        {"unknown", "1.0", D::Unknown},
        {"", "", D::Unknown},
        {"1..2", "1.2", D::Unknown},
        {"1.", "1", D::Unknown},
        {"1,2", "1.2", D::Unknown},
    };
    for (const Case& c : cases) {
        CHECK_MESSAGE(CompareVersions(c.a, c.b) == c.direction, c.a << " against " << c.b);
        // A fleet tells versions apart by their keys: alike for the same number, or the same text.
        const bool alike = c.direction == D::Same || std::string(c.a) == c.b;
        CHECK_MESSAGE((VersionKey(c.a) == VersionKey(c.b)) == alike, c.a << " against " << c.b);
    }
    CHECK(VersionKey("5, 01, 0") == "N5.1");
    CHECK(VersionKey("0.0") == "N0");
    CHECK(VersionKey("3.0 beta") == "T3.0 beta");
}

TEST_CASE("reports of another code page compare as their bytes")
{
    // Shift-JIS bytes, whose second byte may be a backslash in any other code page.
    ParsedReport a, b;
    Parse(a, "Module zum Prozess: app.exe\r\n\r\n"
             "C:\\\x93\xfa\x96\x7b\\\x95\x5c.dll\t(V1.0, \x90\xe0\x96\xbe)\r\n"
             "C:\\\x93\xfa\x96\x7b\\same.dll\t(V1.0, \x90\xe0\x96\xbe)\r\n");
    Parse(b, "Module zum Prozess: app.exe\r\n\r\n"
             "C:\\\x93\xfa\x96\x7b\\\x95\x5c.dll\t(V1.1, \x90\xe0\x96\xbe)\r\n"
             "C:\\\x93\xfa\x96\x7b\\same.dll\t(V1.0, \x90\xe0\x96\xbf)\r\n");
    for (DiffMatch match : {DiffMatch::ByName, DiffMatch::ByPath}) {
        std::vector<ModuleDifference> rows = CompareModules(a.modules, b.modules, match);
        REQUIRE(rows.size() == 2);
        CHECK(std::string(rows[0].a->Path()) == std::string(rows[0].b->Path()));
        CHECK(std::string(rows[1].a->Path()) == std::string(rows[1].b->Path()));
        CHECK(((rows[0].change == DiffChange::Version && rows[1].change == DiffChange::Description) ||
               (rows[1].change == DiffChange::Version && rows[0].change == DiffChange::Description)));
    }
}
