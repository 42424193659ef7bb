// Reading a module report back, as the dialog's save or the console's report wrote it on any
// machine: the file's bytes, its header, and each module line split into path, version and
// description as far as the line can be split for sure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/VersionStatement.h"

// The largest file read as a report: 1024 modules of long paths and descriptions are far below.
const DWORD kLargestReport = 64 * 1024 * 1024;

// One module line: where its path and text lie in the report's bytes. A pointer and two
// lengths, as a report may list millions of modules, each of them held while two lists are
// compared.
class ReportedModule {
public:
    // `line` is the whole module line without its line end: a path, a TAB at `tab`, "(V", the
    // text and ")". Reports, and so their lines, are at most kLargestReport bytes long.
    ReportedModule(std::string_view line, size_t tab)
        : m_line(line.data()),
          m_pathLength(static_cast<std::uint32_t>(tab)),
          m_textLength(static_cast<std::uint32_t>(line.size() - tab - 4))
    {
    }

    // Before the TAB, as the writing machine's ANSI code page has it.
    std::string_view Path() const { return std::string_view(m_line, m_pathLength); }
    // Between "(V" and the closing ")".
    std::string_view Text() const { return std::string_view(m_line + m_pathLength + 3, m_textLength); }
    // The text split into version and description, when asked: most modules of two lists have
    // equal texts, which need no splitting.
    VersionStatement Statement() const { return SplitStatement(Text()); }

private:
    const char* m_line;
    std::uint32_t m_pathLength;
    std::uint32_t m_textLength;
};

// Why a file is not a report: the line (counted from 1) and what is wrong with it.
struct ReportFault {
    size_t line = 0;
    std::string why;
};

// A report read back. It owns the bytes that its modules view, so it is neither copied nor
// moved.
struct ParsedReport {
    ParsedReport() = default;
    ParsedReport(const ParsedReport&) = delete;
    ParsedReport& operator=(const ParsedReport&) = delete;

    std::string bytes;
    std::string_view process;  // the name in the header
    std::vector<ReportedModule> modules;
};

// No limit on the modules of a report but the limit on its size.
const size_t kAnyModules = static_cast<size_t>(-1);

// Reads `report.bytes`: "Module zum Prozess: NAME", an empty line, then one line per module,
// "PATH<TAB>(V...)", each ended by CR LF (or a bare line feed), at most `mostModules` of them.
// False, with the fault, for anything else.
bool ParseReport(ParsedReport& report, ReportFault& fault, size_t mostModules = kAnyModules);

// How reading a report file ended.
enum class ReportFile {
    Read,
    Unreadable,  // the system refused (`error` says why)
    TooLarge,    // larger than any report can be
    NotReport,   // `fault` says which line and why
};
// Reads the report at `path` (a whole path) into `report` and parses it.
ReportFile ReadReportFile(const std::wstring& path, ParsedReport& report, ReportFault& fault, DWORD& error,
                          size_t mostModules = kAnyModules);
