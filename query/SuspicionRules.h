// The rules that tell which modules were loaded from where they should not have been: plain
// functions of the module's path, its process's executable and bitness, the system's places, the
// original name that its version resource states and a list of expected locations, so that one
// table checks them without any process.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "query/ExpectedLocations.h"
#include "query/SystemPlaces.h"

enum class Severity { Low, Medium, High };

// What a rule found, in the order in which a module's findings are listed.
enum class Finding {
    KnownDll,     // high: a known DLL that is not the one in the process's system folder
    SideLoad,     // high: shadows a system DLL from beside its program, which lies outside the
                  // Windows folder and the program folders
    Shadows,      // medium: a file of its name is in the process's system folder; it came from
                  // another folder
    DropFolder,   // medium: it lies in a folder that anyone can drop a file into
    Renamed,      // low: its version resource names another original file
    NotExpected,  // high: the list of expected locations names it, and none of them is its folder
};

struct Judgement {
    Finding finding;
    Severity severity;
    // KnownDll, SideLoad, Shadows: the system's file of that name; Renamed: the original name;
    // NotExpected: the locations that the list gives; DropFolder: empty (see `drop`)
    std::wstring detail;
    DropFolder drop = DropFolder::None;
};

// A process as the rules see it.
struct JudgedProcess {
    std::wstring program;  // the whole path of its executable; empty when it cannot be named
    int bits;              // 32 or 64; 0 when it cannot be told
};

// What the rules ask of the files: the search answers from the disk, a test from a table.
struct FileFacts {
    // Whether a file lies at `path` (in lower case).
    std::function<bool(const std::wstring& path)> exists;
    // The original file name that the version resource of the file at `path` states; false
    // where it states none. Asked only when low findings are wanted.
    std::function<bool(const std::wstring& path, std::wstring& original)> originalName;
};

class SuspectRules {
public:
    // `places` and `expected` (null: no list) outlive the rules.
    SuspectRules(const SystemPlaces& places, Severity minimum, const ExpectedLocations* expected = nullptr);

    Severity Minimum() const { return m_minimum; }
    // The findings of severity `minimum` or more for module `module` (its whole path) of
    // `process`, in the order of Finding. A known DLL from elsewhere is not listed as shadowing
    // too; the program's own file is judged by where it lies and what it is called, not as a DLL.
    std::vector<Judgement> Judge(const JudgedProcess& process, const std::wstring& module,
                                 const FileFacts& files) const;

private:
    // The path of the file that `lowered` (a module's path in lower case) names, as the rules
    // judge it.
    std::wstring TruePath(const JudgedProcess& process, const std::wstring& lowered) const;
    // Whether `name` is a known DLL for a process that is a 32-bit one on a 64-bit system (`wow`).
    bool IsKnownDll(const std::wstring& name, bool wow) const;
    // The findings of a module outside the system's folders that is not the program's own file:
    // `program` and `path` in lower case.
    void JudgeSystemFile(const JudgedProcess& process, const std::wstring& program, const std::wstring& path,
                         const FileFacts& files, std::vector<Judgement>& found) const;

    const SystemPlaces& m_places;
    Severity m_minimum;
    const ExpectedLocations* m_expected;
};
