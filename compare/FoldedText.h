// Names and paths of reports compared without regard to case: only the letters A-Z match a-z, as
// the bytes of another machine's code page cannot be lowered here.
#pragma once

#include <string>
#include <string_view>

inline char Folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Negative, zero or positive as `a` sorts before, with or after `b`, without regard to case.
inline int CompareFolded(std::string_view a, std::string_view b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return static_cast<unsigned char>(Folded(a[i])) < static_cast<unsigned char>(Folded(b[i])) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// `text` as a key that matches it without regard to case.
inline std::string FoldedKey(std::string_view text)
{
    std::string key(text);
    for (char& c : key)
        c = Folded(c);
    return key;
}
