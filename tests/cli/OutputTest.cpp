// The console program's pieces that need no process: patterns, argument rules, and the
// quoting of CSV and JSON.
#include <doctest/doctest.h>

#include <string>

#include "cli/Arguments.h"
#include "cli/ModuleSearch.h"
#include "cli/Output.h"
#include "support/TestSupport.h"

TEST_CASE("patterns match file names with * and ?, in any case")
{
    struct Case { const char* pattern; const char* text; bool match; } cases[] = {
        {"kernel32.dll", "KERNEL32.DLL", true},  {"kernel32.dll", "kernel32.dl", false},
        {"b2*.dll", "b2.dll", true},             {"b2*.dll", "b2xyz.dll", true},
        {"b2*.dll", "b3xyz.dll", false},         {"?.dll", "a.dll", true},
        {"?.dll", "ab.dll", false},              {"*", "", true},
        {"*a*b*c", "xxaybzzc", true},            {"*a*b*c", "xxaybzzcd", false},
        {"a**", "a", true},                      {"", "a", false},
        {"c:\\w*\\*32.dll", "C:\\Windows\\kernel32.dll", true},
    };
    for (const Case& c : cases)
        CHECK_MESSAGE(MatchesPattern(c.pattern, c.text) == c.match, c.pattern << " against " << c.text);
}

TEST_CASE("CSV quotes as RFC 4180 asks, JSON escapes, and both are UTF-8")
{
    std::vector<Column> columns = {{"id", true}, {"text", false}};
    // A word with a letter of the ANSI code page, which the rows hold in that code page.
    const std::string word = "Gr" + testing::CharacterInCodePage() + "e";
    std::vector<Row> rows = {
        {{"1"}, {"plain"}},
        {{"2"}, {"a,b \"c\""}},
        {{"3"}, {"line\nbreak\\\t\x01"}},
        {{"4"}, {testing::Ansi(word).c_str()}},
        {{"5"}, {"", false}},
    };
    CHECK(RenderTable(columns, rows, Format::Csv) ==
          "id,text\r\n1,plain\r\n2,\"a,b \"\"c\"\"\"\r\n3,\"line\nbreak\\\t\x01\"\r\n4," + word + "\r\n5,\r\n");
    CHECK(RenderTable(columns, rows, Format::Json) ==
          "[\r\n"
          "  {\"id\": 1, \"text\": \"plain\"},\r\n"
          "  {\"id\": 2, \"text\": \"a,b \\\"c\\\"\"},\r\n"
          "  {\"id\": 3, \"text\": \"line\\nbreak\\\\\\t\\u0001\"},\r\n"
          "  {\"id\": 4, \"text\": \"" + word + "\"},\r\n"
          "  {\"id\": 5, \"text\": null}\r\n"
          "]\r\n");
    CHECK(RenderTable(columns, {}, Format::Json) == "[]\r\n");
    // Columns for eyes: numbers to the right, no blanks at a line's end.
    CHECK(RenderTable(columns, {{{"7"}, {"x"}}, {{"12"}, {""}}}, Format::Text) == "id  text\r\n 7  x\r\n12\r\n");
}

TEST_CASE("each command takes its own operands and options")
{
    struct Case { std::vector<std::string> words; const char* error; } cases[] = {
        {{"find", "a.dll", "--json"}, ""},
        {{"report", "1", "--output", "f", "--force"}, ""},
        {{"--", "copy", "1", "--odd folder"}, ""},
        {{"--help"}, ""},
        {{"find", "a", "--csv", "--json"}, "--csv and --json exclude each other"},
        {{"report", "1", "--output"}, "--output needs a file name"},
        {{"report", "1", "--verbose"}, "unknown option --verbose"},
        {{"copy", "1", "2", "3"}, "copy: too many operands"},
    };
    for (const Case& c : cases) {
        Arguments parsed;
        std::string error;
        CAPTURE(c.error);
        CHECK(ParseArguments(c.words, parsed, error) == (*c.error == '\0'));
        CHECK(error == c.error);
    }
    Arguments parsed;
    std::string error;
    REQUIRE(ParseArguments({"--", "copy", "1", "--odd folder"}, parsed, error));
    CHECK(parsed.operands == std::vector<std::string>{"1", "--odd folder"});
}
