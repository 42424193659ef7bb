// Where a list expects modules to lie: CSV rows of a module's file name and a folder, written with
// placeholders for the system's folders, as public lists of DLLs that programs can be made to load
// write them. The user brings the list; the program ships none.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "paths/FolderClasses.h"
#include "paths/SystemFolders.h"

// Why a list was refused: its line (1 for the first), or 0 where the file as a whole is.
struct ListError {
    size_t line = 0;
    std::wstring why;
};

class ExpectedLocations {
public:
    // The largest list read: far beyond any list of all DLLs of a system.
    static const size_t kLargest = 16 * 1024 * 1024;

    ExpectedLocations(const SystemFolders& system, const FolderClasses& classes);

    // Reads the list in the file at `path`. False, with `error`, for a file that cannot be read
    // or is larger than kLargest, and for a line that is no row.
    bool Read(const std::wstring& path, ListError& error);
    // The same for the `size` bytes of a list at `bytes` (UTF-8, a byte order mark allowed). Rows are "name,location",
    // fields in double quotes where they hold a comma ("" for a quote), further fields ignored;
    // the first row may be a heading whose first field is "name"; empty lines are passed over.
    bool Parse(const char* bytes, size_t size, ListError& error);

    // Whether `folder` (a FolderKey) is one of the locations of `name` (a file name in lower
    // case), or the list does not name it. Where not, `written` gets the name's locations as the
    // list writes them, "; " between.
    bool Expects(const std::wstring& name, const std::wstring& folder, std::wstring& written) const;

private:
    // A location: its literal parts, between which %VERSION% stands for any one folder's name.
    struct Location {
        std::vector<std::wstring> parts;
        std::wstring written;
        bool possible;  // false where a placeholder names a folder that this system lacks
    };
    bool AddRow(const std::vector<std::string>& fields, std::wstring& why);
    bool Compile(const std::wstring& written, Location& location, std::wstring& why) const;

    std::map<std::wstring, std::wstring> m_placeholders;  // "%system32%" -> its folder, no backslash
    std::map<std::wstring, std::vector<Location>> m_rows;
};
