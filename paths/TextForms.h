// Text that others wrote (a module's path and version resource, a report from another machine, an
// argument echoed back) in each form that the programs print it in. A hostile character never
// reaches a report, a console or a text output as itself: a C0 control (CR, LF, TAB, ESC ...),
// DEL, a C1 control (U+0080-U+009F, of which U+009B starts a terminal's commands), a direction
// control (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069), a line or paragraph separator
// (U+2028, U+2029) and a lone surrogate are shown as "<U+XXXX>", the character's code in hex.
// No path holds that form: "<" and ">" are in no file name.
#pragma once

#include <windows.h>

#include <string>

// Whether the UTF-16 code unit `c` is a hostile character; a surrogate is one where it stands
// alone, which the caller tells.
bool IsHostile(unsigned c);

// "<U+XXXX>": the code of `c`, at least four upper-case hex digits.
std::wstring ShownCode(unsigned c);

// A text of a report line (the process's name, a module's path, version and description) as
// ANSI bytes: each byte as it is, but one that stands for a hostile character in the ANSI code
// page shown as "<U+XXXX>" (CR LF as "<U+000D><U+000A>"), so that a module is one line whatever
// its texts hold, and its TAB and ")" are the report's own.
std::string ReportText(const std::string& ansi);

// A CSV cell as RFC 4180 quotes it. A text that begins with "=", "+", "-", "@", TAB or CR gets a
// leading "'", so that a spreadsheet takes it as text, never as a formula to run; a lone
// surrogate, which UTF-8 cannot hold, is shown; the rest stays exact.
std::wstring CsvCell(const std::wstring& text);

// A JSON string, quotes included: exact, every character escaped as JSON asks (a lone surrogate
// as "\udXXX", so that the UTF-8 stays valid).
std::wstring JsonText(const std::wstring& text);

// One value as a console or a text output shows it: every hostile character shown.
std::wstring ShownText(const std::wstring& text);
// The program's own lines: each CR LF stays a line end; every other hostile character is shown.
std::wstring ShownLines(const std::wstring& text);

// `text` in code page `codePage` (CP_ACP: the ANSI code page) without best fit: a character that
// the code page lacks is shown as "<U+XXXX>", never bent into another (a fullwidth reverse
// solidus into "\"), so that a path the code page cannot carry never reads as another path.
std::string InCodePage(const std::wstring& text, UINT codePage = CP_ACP);
