#include "compare/VersionOrder.h"

#include <vector>

namespace {

// Splits a version written as numbers into its parts, leading zeros dropped; false for anything else.
bool NumberParts(std::string_view text, std::vector<std::string_view>& parts)
{
    size_t i = 0;
    while (true) {
        size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == start)
            return false;
        while (start + 1 < i && text[start] == '0')
            ++start;
        parts.push_back(text.substr(start, i - start));
        if (i == text.size())
            return true;
        if (text[i] == ',' && i + 1 < text.size() && text[i + 1] == ' ')
            ++i;
        else if (text[i] != '.')
            return false;
        ++i;
    }
}

}  // namespace

VersionDirection CompareVersions(std::string_view a, std::string_view b)
{
    std::vector<std::string_view> x, y;
    if (!NumberParts(a, x) || !NumberParts(b, y))
        return VersionDirection::Unknown;
    for (size_t i = 0; i < x.size() || i < y.size(); ++i) {
        std::string_view p = i < x.size() ? x[i] : "0", q = i < y.size() ? y[i] : "0";
        if (p.size() != q.size())
            return p.size() < q.size() ? VersionDirection::Up : VersionDirection::Down;
        if (int order = p.compare(q))
            return order < 0 ? VersionDirection::Up : VersionDirection::Down;
    }
    return VersionDirection::Same;
}

std::string VersionKey(std::string_view version)
{
    std::vector<std::string_view> parts;
    if (!NumberParts(version, parts))
        return "T" + std::string(version);
    while (!parts.empty() && parts.back() == "0")
        parts.pop_back();
    if (parts.empty())
        return "N0";
    std::string key = "N";
    for (size_t i = 0; i < parts.size(); ++i)
        key += (i ? "." : "") + std::string(parts[i]);
    return key;
}

bool IsNumberKey(std::string_view key)
{
    return !key.empty() && key.front() == 'N';
}

std::string_view NumberOfKey(std::string_view key)
{
    return key.substr(1);
}
