// The module report: its lines, and each module's version and description as the report
// states them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "enum/ModuleName.h"
#include "framework/String.h"

// What a report line says for a version or a path that could not be read.
extern const char kUnknownText[];

// The report's first two lines, naming the process by its display name.
CString ReportHeader(const char* processName);

// One module line: path, TAB, "(V", version, then ", " and the description if there is one
// (`description` not null), ")", line feed. Any length. Each text as ReportText shows it, and so
// the process's name in the header: a control character of a version or description is shown
// as "<U+XXXX>", never written as itself.
CString ModuleLine(const char* path, const char* version, const char* description);

// The image version of an optional header, of a 32-bit or a 64-bit image: major, a point,
// minor with at least two digits.
template <class Header> CString ImageVersionText(const Header& header)
{
    CString text;
    text.Format("%d.%02d", header.MajorImageVersion, header.MinorImageVersion);
    return text;
}

// The name of the string table to look in, from a version resource's translation value
// (`length` bytes): its first entry as eight lower-case hex digits, language then code page;
// "040904b0" when there is no whole entry.
std::string TranslationKey(const void* value, UINT length);

// What the report states of a module file. The version is the version resource's
// ProductVersion, or else the file's image version, or kUnknownText when the file's header
// cannot be read; the description is its FileDescription, if it has one. The 64-bit program
// reads the image version of 64-bit images too; the 32-bit program states 0.00 for them.
// The file is read by the form of `path` that names it (ExactAnsiPathOf): a path that names a
// device and has no such form states the version as unknown.
struct ModuleVersion {
    CString version;
    bool hasDescription = false;
    CString description;
};
ModuleVersion ReadModuleVersion(const char* path);

// The version that the header of the file at `path` states: the image version, or kUnknownText.
template <class Path> CString ImageVersionOf(const Path& path);

// The report line of the module file at `path`, with what ReadModuleVersion states. A path that
// is not `faithful` (it names another file than the module's, or is cut short) is never read:
// its line states the version as unknown.
CString ComposeModuleLine(const char* path, bool faithful = true);

// One entry of a module list as the report states it: the text that names the module, and
// whether that is the path of the module's own file (see ComposeModuleLine). An entry that
// stores no path is named as the list shows it, and is not faithful either.
struct ReportEntry {
    CString path;
    bool faithful;
};

// A module list as the report reads it, in the list's order: the dialog's lists, or the modules
// of a process as the console program orders them.
class ReportSource {
public:
    virtual ~ReportSource() = default;
    // What the header names the process by: its display name.
    virtual CString ProcessName() const = 0;
    // How many entries the list holds now.
    virtual int Count() const = 0;
    virtual ReportEntry Entry(int index) const = 0;
};

// The report, line by line, each handed to `write`: the header, then the line of each entry,
// the count asked again before every entry. Every line ends in a line feed, which a text stream
// writes as CR LF. Both programs write their reports through this.
void WriteReport(const ReportSource& source, const std::function<void(const char* line)>& write);

// The whole report of a process shown as `processPath` whose module list holds `modules`, in the
// list's order: the very bytes that the dialog's save writes, every line ending in CR LF.
std::string ComposeReport(const char* processPath, const std::vector<ModuleEntry>& modules);
