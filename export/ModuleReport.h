// The module report: its lines, and each module's version and description as the report
// states them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/String.h"

// What a report line says for a version or a path that could not be read.
extern const char kUnknownText[];

// The report's first two lines, naming the process by its display name.
CString ReportHeader(const char* processName);

// One module line: path, TAB, "(V", version, then ", " and the description if there is one
// (`description` not null), ")", line feed. Any length.
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
struct ModuleVersion {
    CString version;
    bool hasDescription = false;
    CString description;
};
ModuleVersion ReadModuleVersion(const char* path);

// The version that the header of the file at `path` states: the image version, or kUnknownText.
template <class Path> CString ImageVersionOf(const Path& path);

// The whole report, as the dialog's save writes it, of a process shown as `processPath` whose
// module list holds `modules` (what the list box's entries carry, in the list's order): the
// header, one line per module, every line ending in CR LF.
struct ReportEntry {
    const char* path;
    bool faithful;
};
std::string ComposeReport(const char* processPath, const std::vector<ReportEntry>& modules);

// The report line of the module file at `path`, with what ReadModuleVersion states. A path that
// is not `faithful` (it names another file than the module's, or is cut short) is never read:
// its line states the version as unknown.
CString ComposeModuleLine(const char* path, bool faithful = true);
