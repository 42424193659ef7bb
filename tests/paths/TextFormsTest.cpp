// Hostile texts in each form the programs print them in: a report line's text, a CSV cell, JSON,
// a console's text, and text in the ANSI code page. Expected forms worked out by hand, or, where
// the ANSI code page decides, from the system's own conversion.
#include <doctest/doctest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "paths/TextForms.h"

namespace {

std::string U8(const std::wstring& text)
{
    std::string out(text.size() * 4 + 1, '\0');
    out.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         &out[0], static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// The system's conversions, called directly.
std::string SystemAnsi(const std::wstring& text)
{
    BOOL usedDefault = FALSE;
    std::string out(text.size() * 2 + 1, '\0');
    out.resize(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                         &out[0], static_cast<int>(out.size()), nullptr,
                                                         &usedDefault)));
    return out;
}

std::wstring SystemWide(const std::string& ansi)
{
    std::wstring out(ansi.size() + 1, L'\0');
    out.resize(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                         &out[0], static_cast<int>(out.size()))));
    return out;
}

// Whether the ANSI code page holds `text` as it is: what the system's conversion brings back.
bool Carried(const std::wstring& text)
{
    return SystemWide(SystemAnsi(text)) == text;
}

}  // namespace

TEST_CASE("hostile texts stay on their line in a report, run nothing in a spreadsheet, and show on a console")
{
    struct Case {
        std::wstring text, csv, json;
        std::wstring shown;  // on a console, in a text listing, and (ASCII texts) in a report
    } cases[] = {
        {L"plain 1.0", L"plain 1.0", L"\"plain 1.0\"", L"plain 1.0"},
        {L"", L"", L"\"\"", L""},
        // A description that forges a module line.
        {L"desc)\r\nC:\\forged.dll\t(V6.6", L"\"desc)\r\nC:\\forged.dll\t(V6.6\"",
         L"\"desc)\\r\\nC:\\\\forged.dll\\t(V6.6\"", L"desc)<U+000D><U+000A>C:\\forged.dll<U+0009>(V6.6"},
        {L"a\nb", L"\"a\nb\"", L"\"a\\nb\"", L"a<U+000A>b"},
        // Formula starts.
        {L"=HYPERLINK(\"x\",\"click\")", L"\"'=HYPERLINK(\"\"x\"\",\"\"click\"\")\"",
         L"\"=HYPERLINK(\\\"x\\\",\\\"click\\\")\"", L"=HYPERLINK(\"x\",\"click\")"},
        {L"=1+2", L"'=1+2", L"\"=1+2\"", L"=1+2"},
        {L"+1", L"'+1", L"\"+1\"", L"+1"},
        {L"-1", L"'-1", L"\"-1\"", L"-1"},
        {L"@SUM(A1)", L"'@SUM(A1)", L"\"@SUM(A1)\"", L"@SUM(A1)"},
        {L"\tx", L"'\tx", L"\"\\tx\"", L"<U+0009>x"},
        {L"\rx", L"\"'\rx\"", L"\"\\rx\"", L"<U+000D>x"},
        {L"1=2", L"1=2", L"\"1=2\"", L"1=2"},
        {L"=1+2,@x;y.dll", L"\"'=1+2,@x;y.dll\"", L"\"=1+2,@x;y.dll\"", L"=1+2,@x;y.dll"},
        // Escape sequences, DEL, C1 controls (U+009B starts a command on some terminals).
        {L"\x1B]0;title\x07\x1B[2J", L"\x1B]0;title\x07\x1B[2J", L"\"\\u001b]0;title\\u0007\\u001b[2J\"",
         L"<U+001B>]0;title<U+0007><U+001B>[2J"},
        {L"a\x7F" L"b\x85" L"c\x9B" L"31m", L"a\x7F" L"b\x85" L"c\x9B" L"31m", L"\"a\x7F" L"b\x85" L"c\x9B" L"31m\"",
         L"a<U+007F>b<U+0085>c<U+009B>31m"},
        {std::wstring(L"n\0ul", 4), std::wstring(L"n\0ul", 4), L"\"n\\u0000ul\"", L"n<U+0000>ul"},
        // Direction controls, and line and paragraph separators.
        {L"photo\x202Egnp.exe", L"photo\x202Egnp.exe", L"\"photo\x202Egnp.exe\"", L"photo<U+202E>gnp.exe"},
        {L"\x200E\x200F\x202A\x202B\x202C\x202D", L"\x200E\x200F\x202A\x202B\x202C\x202D",
         L"\"\x200E\x200F\x202A\x202B\x202C\x202D\"", L"<U+200E><U+200F><U+202A><U+202B><U+202C><U+202D>"},
        {L"\x2066\x2067\x2068\x2069\x061C", L"\x2066\x2067\x2068\x2069\x061C", L"\"\x2066\x2067\x2068\x2069\x061C\"",
         L"<U+2066><U+2067><U+2068><U+2069><U+061C>"},
        {L"a\x2028" L"b\x2029", L"a\x2028" L"b\x2029", L"\"a\x2028" L"b\x2029\"", L"a<U+2028>b<U+2029>"},
        // Surrogates: a pair is one character; one alone is shown, or escaped in JSON.
        {L"\xD83D\xDE00", L"\xD83D\xDE00", L"\"\xD83D\xDE00\"", L"\xD83D\xDE00"},
        {L"a\xD800" L"b", L"a<U+D800>b", L"\"a\\ud800b\"", L"a<U+D800>b"},
        {L"\xDC00\xD800", L"<U+DC00><U+D800>", L"\"\\udc00\\ud800\"", L"<U+DC00><U+D800>"},
        {L"=\xD800", L"'=<U+D800>", L"\"=\\ud800\"", L"=<U+D800>"},
        // What others hold stays.
        {L"Gr\x00F6\x00DF" L"e \x65E5\x672C \xFF3C", L"Gr\x00F6\x00DF" L"e \x65E5\x672C \xFF3C",
         L"\"Gr\x00F6\x00DF" L"e \x65E5\x672C \xFF3C\"", L"Gr\x00F6\x00DF" L"e \x65E5\x672C \xFF3C"},
        {L"<U+000D>", L"<U+000D>", L"\"<U+000D>\"", L"<U+000D>"},
    };
    for (const Case& c : cases) {
        CAPTURE(U8(c.text));
        CHECK_MESSAGE(CsvCell(c.text) == c.csv, "expected " << U8(c.csv) << ", got " << U8(CsvCell(c.text)));
        CHECK_MESSAGE(JsonText(c.text) == c.json, "expected " << U8(c.json) << ", got " << U8(JsonText(c.text)));
        CHECK_MESSAGE(ShownText(c.text) == c.shown, "expected " << U8(c.shown) << ", got " << U8(ShownText(c.text)));
        // Every ANSI code page holds ASCII alike: its report text is the console's.
        bool ascii = true;
        for (wchar_t ch : c.text)
            ascii = ascii && ch < 0x80;
        if (ascii) {
            const std::string bytes(c.text.begin(), c.text.end()), shown = U8(c.shown);
            CHECK_MESSAGE(ReportText(bytes) == shown, "expected " << shown << ", got " << ReportText(bytes));
        }
    }
    // Lines of the program's own: CR LF ends a line, a CR or a LF alone does not.
    CHECK(ShownLines(L"a\r\nb\nc\rd\x1B\r\n") == L"a\r\nb<U+000A>c<U+000D>d<U+001B>\r\n");
    CHECK(ShownCode(0x1F600) == L"<U+1F600>");
}

TEST_CASE("a report's bytes show what the ANSI code page makes hostile, and text leaves no character bent")
{
    // Each as the ANSI functions hand it to the report: shown where the code page holds it as
    // itself, else the system's stand-in, which is harmless, stays.
    for (wchar_t c : {L'\x81', L'\x85', L'\x9B', L'\x200F', L'\x202E', L'\x061C'}) {
        const std::string bytes = SystemAnsi(std::wstring(1, c));
        CAPTURE(static_cast<unsigned>(c));
        CHECK(ReportText("a" + bytes + "b") == "a" + (Carried(std::wstring(1, c)) ? U8(ShownCode(c)) : bytes) + "b");
    }
    // Text in the ANSI code page: what it holds as it is, what it lacks shown, never bent (a
    // fullwidth reverse solidus would become "\" and name another path).
    const std::wstring bent = L"C:\\x\\..\xFF3C..\xFF3CWindows\xFF3Ckernel32.dll";
    std::string expected;
    for (const std::wstring& part : {std::wstring(L"C:\\x\\.."), std::wstring(L"\xFF3C"), std::wstring(L".."),
                                     std::wstring(L"\xFF3C"), std::wstring(L"Windows"), std::wstring(L"\xFF3C"),
                                     std::wstring(L"kernel32.dll")})
        expected += Carried(part) ? SystemAnsi(part) : "<U+FF3C>";
    CHECK(InCodePage(bent) == expected);
    for (const std::wstring& text : {std::wstring(L"\x00E4"), std::wstring(L"\x65E5"), std::wstring(L"\xD83D\xDE00")}) {
        CAPTURE(U8(text));
        const unsigned code = text.size() == 2 ? 0x1F600 : text[0];
        CHECK(InCodePage(L"a" + text) == "a" + (Carried(text) ? SystemAnsi(text) : U8(ShownCode(code))));
    }
    CHECK(InCodePage(L"a\xD800") == "a<U+D800>");
    CHECK(InCodePage(L"plain") == "plain");
}
