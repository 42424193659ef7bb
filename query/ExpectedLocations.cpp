#include "query/ExpectedLocations.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "paths/WidePath.h"

namespace {

const char kVersion[] = "%version%";

// `folder` (a FolderKey) as a placeholder stands for it: without its closing backslash.
std::wstring Bare(const std::wstring& folder)
{
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The fields of one line, split at commas outside double quotes, blanks around them trimmed.
// False, with `why`, for a quote left open or anything but a comma after a closing quote.
bool SplitFields(const std::string& line, std::vector<std::string>& fields, std::wstring& why)
{
    fields.clear();
    for (size_t i = 0;; ++i) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        std::string field;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) {
                    why = L"a quoted field is not closed";
                    return false;
                }
                if (line[i] == '"' && (i + 1 >= line.size() || line[i + 1] != '"'))
                    break;
                field += line[i];
                i += line[i] == '"';
            }
            for (++i; i < line.size() && IsBlank(line[i]);)
                ++i;
            if (i < line.size() && line[i] != ',') {
                why = L"text follows a quoted field";
                return false;
            }
        } else {
            const size_t end = std::min(line.find(',', i), line.size());
            field = line.substr(i, end - i);
            i = end;
            if (field.find('"') != std::string::npos) {
                why = L"a quote stands inside a field that is not quoted";
                return false;
            }
            while (!field.empty() && IsBlank(field.back()))
                field.pop_back();
        }
        fields.push_back(field);
        if (i >= line.size())
            return true;
    }
}

// A field as UTF-16; false for bytes that are no UTF-8 or for a control character.
bool FieldText(const std::string& field, std::wstring& text)
{
    text = ToWide(field, CP_UTF8);
    if (FromWide(text, CP_UTF8) != field)
        return false;
    for (wchar_t c : text)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

// Whether `folder` from `at` on matches the parts from `part` on, %VERSION% between each two.
// `failed` marks each (place, part) found not to match, so that a list with many %VERSION% in a
// row never makes the search try every way to split a name (exponential in their number).
bool MatchesFrom(const std::wstring& folder, size_t at, const std::vector<std::wstring>& parts, size_t part,
                 std::vector<char>& failed)
{
    char& known = failed[at * parts.size() + part];
    if (known || folder.compare(at, parts[part].size(), parts[part]) != 0)
        return false;
    const size_t after = at + parts[part].size();
    if (part + 1 == parts.size())
        return after == folder.size();
    // %VERSION%: one character or more of one folder's name.
    for (size_t end = after + 1; end <= folder.size() && folder[end - 1] != L'\\'; ++end)
        if (MatchesFrom(folder, end, parts, part + 1, failed))
            return true;
    known = 1;
    return false;
}

}  // namespace

ExpectedLocations::ExpectedLocations(const SystemFolders& system, const FolderClasses& classes)
    : m_placeholders{{L"%system32%", Bare(system.system)},
                     {L"%syswow64%", Bare(system.wow64)},
                     {L"%windir%", Bare(system.windows)},
                     {L"%programfiles%", Bare(classes.programFiles)},
                     {L"%programfiles(x86)%", Bare(classes.programFilesX86)},
                     {L"%programdata%", Bare(classes.programData)},
                     {L"%appdata%", Bare(classes.appData)},
                     {L"%localappdata%", Bare(classes.localAppData)}}
{
}

bool ExpectedLocations::Read(const std::wstring& path, ListError& error)
{
    error = ListError();
    // Named exactly, so that a list called com1.csv is a file and not the port.
    KernelHandle file(CreateFileOf(LongPathForm(path, PathUse::Exact), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    if (!file) {
        error.why = L"cannot be read";
        return false;
    }
    DWORD high = 0;
    const DWORD size = ::GetFileSize(file.Get(), &high);
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK || (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)) {
        error.why = L"is no file";
        return false;
    }
    if (high != 0 || size > kLargest) {
        error.why = L"is larger than any list of DLLs (16 MB)";
        return false;
    }
    std::string bytes(size, '\0');
    DWORD read = 0;
    if (size > 0 && (!::ReadFile(file.Get(), &bytes[0], size, &read, nullptr) || read != size)) {
        error.why = L"cannot be read";
        return false;
    }
    return Parse(bytes.data(), bytes.size(), error);
}

bool ExpectedLocations::Parse(const char* bytes, size_t size, ListError& error)
{
    error = ListError();
    m_rows.clear();
    const char* const end = bytes + size;
    const char* at = size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0 ? bytes + 3 : bytes;
    bool first = true;
    std::vector<std::string> fields;
    for (size_t line = 1; at < end; ++line) {
        const char* lineEnd = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
        lineEnd = lineEnd ? lineEnd : end;
        std::string text(at, lineEnd);
        at = lineEnd + (lineEnd < end);
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.find_first_not_of(" \t") == std::string::npos)
            continue;
        std::wstring why;
        // A heading: the first row, whose first field is "name".
        const bool heading = first && SplitFields(text, fields, why) && !fields.empty() &&
                             LowerCase(ToWide(fields[0], CP_UTF8)) == L"name";
        first = false;
        if (!heading && !(SplitFields(text, fields, why) && AddRow(fields, why))) {
            error.line = line;
            error.why = why;
            return false;
        }
    }
    return true;
}

bool ExpectedLocations::AddRow(const std::vector<std::string>& fields, std::wstring& why)
{
    std::wstring name, written;
    if (fields.size() < 2 || fields[0].empty() || fields[1].empty()) {
        why = L"a row needs a name and a location";
        return false;
    }
    if (!FieldText(fields[0], name) || !FieldText(fields[1], written)) {
        why = L"holds a control character or bytes that are no UTF-8";
        return false;
    }
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
        why = L"the name \"" + name + L"\" is no file name";
        return false;
    }
    Location location;
    if (!Compile(written, location, why))
        return false;
    m_rows[LowerCase(name)].push_back(location);
    return true;
}

bool ExpectedLocations::Compile(const std::wstring& written, Location& location, std::wstring& why) const
{
    std::wstring text = LowerCase(written);
    for (wchar_t& c : text)
        c = c == L'/' ? L'\\' : c;
    location = Location{{std::wstring()}, written, true};
    for (size_t at = 0; at < text.size();) {
        const size_t close = text[at] == L'%' ? text.find(L'%', at + 1) : std::wstring::npos;
        if (close == std::wstring::npos) {
            location.parts.back() += text[at++];
            continue;
        }
        const std::wstring placeholder = text.substr(at, close + 1 - at);
        const auto known = m_placeholders.find(placeholder);
        if (placeholder == ToWide(kVersion)) {
            location.parts.emplace_back();
        } else if (known != m_placeholders.end()) {
            location.possible = location.possible && !known->second.empty();
            location.parts.back() += known->second;
        } else {
            why = L"unknown placeholder " + written.substr(at, close + 1 - at);
            return false;
        }
        at = close + 1;
    }
    // As a FolderKey ends.
    if (location.parts.back().empty() || location.parts.back().back() != L'\\')
        location.parts.back() += L'\\';
    const std::wstring& head = location.parts.front();
    const bool absolute = (head.size() >= 3 && head[1] == L':' && head[2] == L'\\') || head.compare(0, 2, L"\\\\") == 0;
    if (location.possible && !absolute) {
        why = L"the location \"" + written + L"\" is no whole folder";
        return false;
    }
    return true;
}

bool ExpectedLocations::Expects(const std::wstring& name, const std::wstring& folder, std::wstring& written) const
{
    const auto row = m_rows.find(name);
    if (row == m_rows.end())
        return true;
    written.clear();
    for (const Location& location : row->second) {
        std::vector<char> failed((folder.size() + 1) * location.parts.size());
        if (location.possible && MatchesFrom(folder, 0, location.parts, 0, failed))
            return true;
        written += (written.empty() ? L"" : L"; ") + location.written;
    }
    return false;
}
