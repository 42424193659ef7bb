#include "paths/Pattern.h"

#include <windows.h>

#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

// MatchesPattern on a pattern and a text that are both lower case already.
bool MatchesLowered(const std::wstring& p, const std::wstring& t)
{
    size_t pi = 0, ti = 0, star = std::wstring::npos, resume = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == L'?' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == L'*') {
            star = pi++;
            resume = ti;
        } else if (star != std::wstring::npos) {
            // Let the last star take one more character.
            pi = star + 1;
            ti = ++resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == L'*')
        ++pi;
    return pi == p.size();
}

}  // namespace

bool MatchesPattern(const std::wstring& pattern, const std::wstring& text)
{
    return MatchesLowered(LowerCase(pattern), LowerCase(text));
}

ModulePattern::ModulePattern(const std::wstring& typed, const std::wstring& missingExtension)
{
    std::wstring pattern = typed;
    for (wchar_t& c : pattern)
        if (c == L'/')
            c = L'\\';
    pattern = WithoutLongPrefix(pattern);
    m_byPath = pattern.find_first_of(L"\\:") != std::wstring::npos;
    // A path is named in full, relative parts resolved; short names are spelled out where the
    // file is there, or its folder (a name may leave out its extension).
    // A module's file may bear a device's name ("com1.dll"): the path names that file, never the
    // port, and is asked about in the form that says so.
    if (m_byPath && pattern.find_first_of(L"*?") == std::wstring::npos) {
        pattern = WithoutLongPrefix(FullPathOfName(pattern));
        const size_t folder = FolderLength(pattern);
        const std::wstring file = NamesDevice(pattern) ? LongPathForm(pattern, PathUse::Exact) : pattern;
        if (AttributesOf(file) != INVALID_FILE_ATTRIBUTES)
            pattern = WithoutLongPrefix(LongNameOf(file));
        else if (folder > 0 && AttributesOf(pattern.substr(0, folder)) != INVALID_FILE_ATTRIBUTES)
            pattern = WithoutLongPrefix(LongNameOf(pattern.substr(0, folder))) + pattern.substr(folder);
    }
    m_pattern = LowerCase(pattern);
    const std::wstring name = m_pattern.substr(FolderLength(m_pattern));
    if (!name.empty() && name.find(L'.') == std::wstring::npos && name.back() != L'*')
        m_missingExtension = LowerCase(missingExtension);
}

bool ModulePattern::Matches(const std::wstring& path) const
{
    std::wstring text = LowerCase(m_byPath ? path : DisplayNameOf(path));
    return MatchesLowered(m_pattern, text) ||
           (!m_missingExtension.empty() && MatchesLowered(m_pattern + m_missingExtension, text));
}
