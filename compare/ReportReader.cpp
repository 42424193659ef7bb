#include "compare/ReportReader.h"

#include <cstdint>
#include <cstring>

#include "export/ModuleReport.h"
#include "framework/Handles.h"
#include "paths/WidePath.h"

namespace {

// The first `c` in [from, end), or end: eight bytes at a time, where the C runtime of the oldest
// systems (and of Wine) looks at one byte after another.
const char* FindByte(const char* from, const char* end, char c)
{
    const std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    const std::uint64_t pattern = ones * static_cast<unsigned char>(c);
    for (; end - from >= 8; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        word ^= pattern;  // a zero byte where `c` is
        if ((word - ones) & ~word & highs)
            break;
    }
    while (from < end && *from != c)
        ++from;
    return from;
}

// What the report writer puts before the process's name: the header of a nameless process.
std::string_view HeaderStart()
{
    static const std::string header = ReportHeader("").GetString();
    return std::string_view(header).substr(0, header.find('\n'));
}

// Hands out the lines of `bytes` one by one, without their CR LF or line feed.
class Lines {
public:
    explicit Lines(std::string_view bytes) : m_bytes(bytes) {}

    bool Next(std::string_view& line)
    {
        if (m_at >= m_bytes.size())
            return false;
        const size_t end = FindByte(m_bytes.data() + m_at, m_bytes.data() + m_bytes.size(), '\n') - m_bytes.data();
        line = m_bytes.substr(m_at, end - m_at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_at = end + 1;
        ++m_number;
        return true;
    }
    size_t Number() const { return m_number; }

private:
    std::string_view m_bytes;
    size_t m_at = 0;
    size_t m_number = 0;
};

// Where the TAB of `line` is, when the line begins a module line: a path, a TAB and "(V".
size_t ModuleLineTab(std::string_view line)
{
    const size_t tab = FindByte(line.data(), line.data() + line.size(), '\t') - line.data();
    bool starts = tab > 0 && tab + 2 < line.size() && line[tab + 1] == '(' && line[tab + 2] == 'V';
    return starts ? tab : std::string_view::npos;
}

bool Fault(ReportFault& fault, size_t line, const std::string& why)
{
    fault.line = line;
    fault.why = why;
    return false;
}

}  // namespace

bool ParseReport(ParsedReport& report, ReportFault& fault, size_t mostModules)
{
    report.modules.clear();
    if (report.bytes.size() > kLargestReport)
        return Fault(fault, 1, "is larger than any report can be");
    Lines lines(report.bytes);
    std::string_view line;
    const std::string_view start = HeaderStart();
    if (!lines.Next(line))
        return Fault(fault, 1, "the file is empty");
    if (line.substr(0, start.size()) != start)
        return Fault(fault, 1, "does not begin with \"" + std::string(start) + "\"");
    report.process = line.substr(start.size());
    if (!lines.Next(line) || !line.empty())
        return Fault(fault, 2, "is not the empty line that follows the header");
    bool more = lines.Next(line);
    size_t tab = ModuleLineTab(line);
    while (more) {
        const size_t number = lines.Number(), pathEnd = tab;
        // Before the list grows with a file that no process wrote.
        if (report.modules.size() == mostModules)
            return Fault(fault, number, "lists more modules than any process loads");
        if (pathEnd == std::string_view::npos) {
            tab = line.find('\t');
            return Fault(fault, number, tab == std::string_view::npos ? "has no TAB between path and version"
                                        : tab == 0                    ? "has no path before its TAB"
                                                                      : "does not go on after its TAB with \"(V\"");
        }
        // A version or description with line feeds in it goes on over the lines that follow,
        // up to the next module line.
        std::string_view whole = line, next;
        while ((more = lines.Next(next)) && (tab = ModuleLineTab(next)) == std::string_view::npos)
            whole = std::string_view(whole.data(), next.data() + next.size() - whole.data());
        if (whole.back() != ')')
            return Fault(fault, lines.Number() - (more ? 1 : 0),
                         "does not end the module line with \")\"");
        report.modules.emplace_back(whole, pathEnd);
        line = next;
    }
    return true;
}

ReportFile ReadReportFile(const std::wstring& path, ParsedReport& report, ReportFault& fault, DWORD& error,
                          size_t mostModules)
{
    KernelHandle file(CreateFileOf(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file) {
        error = ::GetLastError();
        return ReportFile::Unreadable;
    }
    ::SetLastError(NO_ERROR);  // a size of 0xFFFFFFFF is told from a failure by the error alone
    DWORD high = 0, size = ::GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
        error = ::GetLastError();
        return ReportFile::Unreadable;
    }
    if (high != 0 || size > kLargestReport)
        return ReportFile::TooLarge;
    report.bytes.assign(size, '\0');
    DWORD done = 0;
    while (done < size) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), &report.bytes[done], size - done, &read, nullptr)) {
            error = ::GetLastError();
            return ReportFile::Unreadable;
        }
        // A file cut short meanwhile ends here; what was read is judged as it is.
        if (read == 0)
            break;
        done += read;
    }
    report.bytes.resize(done);
    return ParseReport(report, fault, mostModules) ? ReportFile::Read : ReportFile::NotReport;
}
