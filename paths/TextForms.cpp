#include "paths/TextForms.h"

#include "framework/Encoding.h"

namespace {

bool IsHigh(unsigned c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(unsigned c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Whether a surrogate pair begins at `at`: the two stay together, as one character.
bool PairAt(const std::wstring& text, size_t at)
{
    return IsHigh(text[at]) && at + 1 < text.size() && IsLow(text[at + 1]);
}

std::string AsciiOf(const std::wstring& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

// The code point of one character: a code unit, or a surrogate pair.
unsigned CodePointOf(const std::wstring& character)
{
    if (character.size() == 2)
        return 0x10000 + ((static_cast<unsigned>(character[0]) - 0xD800) << 10) + (character[1] - 0xDC00);
    return character[0];
}

// What each byte of the ANSI code page stands for alone, and whether it leads a two-byte
// character (whose second byte is never below 0x40, so never a control's).
struct AnsiBytes {
    unsigned code[256];
    bool lead[256];

    AnsiBytes()
    {
        for (unsigned b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            wchar_t wide = 0xFFFD;
            lead[b] = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
            if (!lead[b] && ::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &wide, 1) != 1)
                wide = 0xFFFD;
            code[b] = wide;
        }
    }
};

// `text` with each hostile character shown; with `keepLineEnds`, CR LF pairs stay.
std::wstring Shown(const std::wstring& text, bool keepLineEnds)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (PairAt(text, i)) {
            out.append(text, i++, 2);
        } else if (keepLineEnds && text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            out += L"\r\n";
            ++i;
        } else if (IsHostile(text[i]) || IsHigh(text[i]) || IsLow(text[i])) {
            out += ShownCode(text[i]);
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool IsHostile(unsigned c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || c == 0x2028 ||
           c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || IsHigh(c) || IsLow(c);
}

std::wstring ShownCode(unsigned c)
{
    const wchar_t* hex = L"0123456789ABCDEF";
    std::wstring digits;
    for (int shift = 20; shift >= 0; shift -= 4)
        if (shift < 16 || (c >> shift) != 0)
            digits += hex[(c >> shift) & 15];
    return L"<U+" + digits + L">";
}

std::string ReportText(const std::string& ansi)
{
    // The ANSI code page stays what it was at start-up for the life of the process.
    static const AnsiBytes bytes;
    std::string out;
    out.reserve(ansi.size());
    for (size_t i = 0; i < ansi.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(ansi[i]);
        if (bytes.lead[b] && i + 1 < ansi.size())
            out.append(ansi, i++, 2);
        else if (IsHostile(bytes.code[b]))
            out += AsciiOf(ShownCode(bytes.code[b]));
        else
            out += ansi[i];
    }
    return out;
}

std::wstring CsvCell(const std::wstring& text)
{
    std::wstring cell;
    if (!text.empty() && std::wstring(L"=+-@\t\r").find(text[0]) != std::wstring::npos)
        cell = L"'";
    for (size_t i = 0; i < text.size(); ++i) {
        if (PairAt(text, i))
            cell.append(text, i++, 2);
        else if (IsHigh(text[i]) || IsLow(text[i]))
            cell += ShownCode(text[i]);
        else
            cell += text[i];
    }
    if (cell.find_first_of(L",\"\r\n") == std::wstring::npos)
        return cell;
    std::wstring quoted = L"\"";
    for (wchar_t c : cell)
        quoted += c == L'"' ? std::wstring(L"\"\"") : std::wstring(1, c);
    return quoted + L"\"";
}

std::wstring JsonText(const std::wstring& text)
{
    const wchar_t* hex = L"0123456789abcdef";
    std::wstring out = L"\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            if (PairAt(text, i)) {
                out.append(text, i++, 2);
            } else if (c < 0x20 || IsHigh(c) || IsLow(c)) {
                out += L"\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    out += hex[(c >> shift) & 15];
            } else {
                out += c;
            }
        }
    }
    return out + L"\"";
}

std::wstring ShownText(const std::wstring& text)
{
    return Shown(text, false);
}

std::wstring ShownLines(const std::wstring& text)
{
    return Shown(text, true);
}

std::string InCodePage(const std::wstring& text, UINT codePage)
{
    // Best fit is one way only: what comes back the same was carried.
    std::string whole = FromWide(text, codePage);
    if (ToWide(whole, codePage) == text)
        return whole;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::wstring character = text.substr(i, PairAt(text, i) ? 2 : 1);
        i += character.size() - 1;
        const std::string bytes = FromWide(character, codePage);
        out += ToWide(bytes, codePage) == character ? bytes : AsciiOf(ShownCode(CodePointOf(character)));
    }
    return out;
}
