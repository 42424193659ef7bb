// Names as a user types them: patterns with * and ?, and the forms a module's file is named in.
#pragma once

#include <string>

// Whether `text` matches `pattern`, in which * stands for any characters and ? for one; case
// does not matter.
bool MatchesPattern(const std::wstring& pattern, const std::wstring& text);

// A module as a user names it, made ready to match loaded modules' whole paths: separators as
// backslashes, a "\\?\" prefix, a path without * or ? made full, 8.3 names spelled out where
// the file or its folder exists, in lower case. A pattern with a folder matches whole paths, one without matches
// file names; a name without an extension matches with `missingExtension` too: any extension
// (".*") for a module, ".exe" for a program.
class ModulePattern {
public:
    explicit ModulePattern(const std::wstring& typed, const std::wstring& missingExtension = L".*");

    bool Matches(const std::wstring& path) const;

private:
    std::wstring m_pattern;
    bool m_byPath;
    std::wstring m_missingExtension;  // empty when the name has an extension or ends in *
};
