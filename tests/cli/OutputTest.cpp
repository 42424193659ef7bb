// The console program's pieces that need no process: the command line, argument rules, and the
// quoting of CSV and JSON.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "framework/Encoding.h"

namespace {

// Wide text as doctest can print it.
std::string U8(const std::wstring& text)
{
    return FromWide(text, CP_UTF8);
}

std::vector<std::wstring> Words(const std::vector<std::string>& utf8)
{
    std::vector<std::wstring> words;
    for (const std::string& word : utf8)
        words.push_back(ToWide(word, CP_UTF8));
    return words;
}

}  // namespace

TEST_CASE("the command line splits as the C runtime splits it")
{
    // The documented rules, worked by hand: blanks separate, quotes group, 2n backslashes before
    // a quote give n and group, 2n + 1 give n and a quote; other backslashes stay.
    struct Case { const wchar_t* line; std::vector<std::wstring> words; } cases[] = {
        {L"prog a b", {L"a", L"b"}},
        {L"\"C:\\my prog.exe\" find  \"a b\"\t c", {L"find", L"a b", L"c"}},
        {L"prog C:\\dir\\ x", {L"C:\\dir\\", L"x"}},
        {L"prog \"C:\\dir\\\\\" x", {L"C:\\dir\\", L"x"}},
        {L"prog a\\\"b", {L"a\"b"}},
        {L"prog a\\\\\\\"b", {L"a\\\"b"}},
        {L"prog \"\"", {L""}},
        {L"prog \x65E5\x672C.dll", {L"\x65E5\x672C.dll"}},
        {L"prog", {}},
    };
    for (const Case& c : cases)
        CHECK_MESSAGE(SplitCommandLine(c.line) == c.words, U8(c.line));
}

TEST_CASE("CSV quotes as RFC 4180 asks, JSON escapes, text stays in its columns")
{
    std::vector<Column> columns = {{"id", true}, {"text", false}};
    std::vector<Row> rows = {
        {{L"1"}, {L"plain"}},
        {{L"2"}, {L"a,b \"c\""}},
        {{L"3"}, {L"line\nbreak\\\t\x01"}},
        {{L"4"}, {L"Gr\u00F6\u00DFe \x65E5\x672C"}},
        {{L"5"}, Missing()},
    };
    CHECK(U8(RenderTable(columns, rows, Format::Csv)) ==
          "id,text\r\n1,plain\r\n2,\"a,b \"\"c\"\"\"\r\n3,\"line\nbreak\\\t\x01\"\r\n"
          "4,Gr\xC3\xB6\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC\r\n5,\r\n");
    CHECK(U8(RenderTable(columns, rows, Format::Json)) ==
          "[\r\n"
          "  {\"id\": 1, \"text\": \"plain\"},\r\n"
          "  {\"id\": 2, \"text\": \"a,b \\\"c\\\"\"},\r\n"
          "  {\"id\": 3, \"text\": \"line\\nbreak\\\\\\t\\u0001\"},\r\n"
          "  {\"id\": 4, \"text\": \"Gr\xC3\xB6\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC\"},\r\n"
          "  {\"id\": 5, \"text\": null}\r\n"
          "]\r\n");
    CHECK(U8(RenderTable(columns, {}, Format::Json)) == "[]\r\n");
    CHECK(U8(RenderTable(columns, rows, Format::Csv, false)).rfind("1,plain\r\n", 0) == 0);
    // Columns for eyes: numbers to the right, no blanks at a line's end, a tab shown, and a
    // value too long to pad by leaves the other lines as they are.
    CHECK(U8(RenderTable(columns, {{{L"7"}, {L"x\ty"}}, {{L"12"}, {L""}}}, Format::Text)) ==
          "id  text\r\n 7  x<U+0009>y\r\n12\r\n");
    std::wstring longPath(100, L'p');
    CHECK(U8(RenderTable({{"path", false}, {"v", false}}, {{{longPath}, {L"1"}}, {{L"a"}, {L"2"}}}, Format::Text, false)) ==
          U8(longPath) + "  1\r\na" + std::string(47, ' ') + "  2\r\n");
}

TEST_CASE("each command takes its own operands and options, in the forms users type")
{
    struct Case { std::vector<std::string> words; const char* error; } cases[] = {
        {{"find", "a.dll", "--json"}, ""},
        {{"FIND", "a.dll"}, ""},
        {{"report", "1", "--output", "f", "--force"}, ""},
        {{"--csv", "processes", "--no-header"}, ""},
        {{"--", "copy", "1", "--odd folder"}, ""},
        {{"--help"}, ""},
        {{"/?"}, ""},
        {{"-h"}, ""},
        {{"help"}, ""},
        {{"modules", "1", "--help"}, ""},
        {{"--version"}, ""},
        {{"bogus", "--help"}, "unknown command bogus"},
        {{"find", "a", "--csv", "--json"}, "--csv and --json exclude each other"},
        {{"report", "1", "--output"}, "--output needs FILE"},
        {{"report", "280", "--output", "--force"}, "--output needs FILE"},
        {{"report", "1", "--output", "a", "--output", "b"}, "--output is given twice"},
        {{"report", "1", "--verbose"}, "unknown option --verbose"},
        {{"-x"}, "unknown option -x"},
        {{"copy", "1", "2", "3"}, "copy: too many operands (copy PROCESS FOLDER)"},
        {{"copy", "1", "--json", "x"}, "copy takes no --json"},
        {{"processes", "--output", "x"}, "processes takes no --output"},
        {{"report", "1", "--force"}, "--force goes with --output"},
        {{"stale"}, ""},
        {{"stale", "1", "--json"}, ""},
        {{"stale", "1", "2"}, "stale: too many operands (stale [PROCESS])"},
        {{"wait", "a.dll", "--timeout", "3"}, ""},
        {{"wait"}, "wait: missing operands (wait MODULE)"},
        {{"wait", "a.dll", "--timeout"}, "--timeout needs SECONDS"},
        {{"wait", "a.dll", "--csv"}, "wait takes no --csv"},
        {{"stale", "--timeout", "3"}, "stale takes no --timeout"},
        {{}, "no command given"},
    };
    for (const Case& c : cases) {
        Arguments parsed;
        std::wstring error;
        CAPTURE(c.error);
        CHECK(ParseArguments(Words(c.words), parsed, error) == (*c.error == '\0'));
        CHECK(U8(error) == c.error);
    }
    Arguments parsed;
    std::wstring error;
    REQUIRE(ParseArguments(Words({"--", "copy", "1", "--odd folder"}), parsed, error));
    CHECK(parsed.operands == Words({"1", "--odd folder"}));
    REQUIRE(ParseArguments(Words({"help"}), parsed, error));
    CHECK(parsed.help);
}
