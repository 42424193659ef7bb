#include "export/ModuleDiff.h"

#include <algorithm>
#include <string>

#include "enum/DisplayName.h"

namespace {

char Folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Negative, zero or positive as `a` sorts before, with or after `b`, without regard to case.
int CompareFolded(std::string_view a, std::string_view b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return static_cast<unsigned char>(Folded(a[i])) < static_cast<unsigned char>(Folded(b[i])) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// A module with what it is matched by, folded once so that sorting compares bytes.
struct Keyed {
    std::string_view key;
    const ReportedModule* module;
};

// Orders keys as memcmp would; inline, as it runs n log n times.
int CompareKeys(std::string_view a, std::string_view b)
{
    size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The modules in the order of their keys, then of their paths; the folded keys are kept in
// `folded`, one block for all.
std::vector<Keyed> Sorted(const std::vector<ReportedModule>& modules, DiffMatch match, std::string& folded)
{
    std::vector<Keyed> keyed;
    keyed.reserve(modules.size());
    size_t total = 0;
    for (const ReportedModule& module : modules) {
        keyed.push_back({match == DiffMatch::ByName ? ReportedName(module.path) : module.path, &module});
        total += keyed.back().key.size();
    }
    folded.resize(total);
    size_t at = 0;
    for (Keyed& entry : keyed) {
        for (size_t i = 0; i < entry.key.size(); ++i)
            folded[at + i] = Folded(entry.key[i]);
        entry.key = std::string_view(folded).substr(at, entry.key.size());
        at += entry.key.size();
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        int order = CompareKeys(x.key, y.key);
        return order != 0 ? order < 0 : CompareFolded(x.module->path, y.module->path) < 0;
    });
    return keyed;
}

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

void Add(std::vector<ModuleDifference>& differences, const ReportedModule& a, const ReportedModule& b)
{
    const VersionStatement& x = a.statement;
    const VersionStatement& y = b.statement;
    if (!x.split || !y.split) {
        if (a.text != b.text)
            differences.push_back({DiffChange::Text, &a, &b, VersionDirection::Unknown});
        return;
    }
    bool version = x.version != y.version;
    bool description = x.hasDescription != y.hasDescription || x.description != y.description;
    if (!version && !description)
        return;
    DiffChange change = !version ? DiffChange::Description
                        : description ? DiffChange::VersionAndDescription
                                      : DiffChange::Version;
    differences.push_back(
        {change, &a, &b, version ? CompareVersions(x.version, y.version) : VersionDirection::Unknown});
}

// Matches the modules of one key: equal paths first, then the others in the order of their paths.
void MatchGroup(std::vector<ModuleDifference>& differences, const Keyed* a, size_t countA, const Keyed* b,
                size_t countB)
{
    if (countA == 1 && countB == 1) {
        Add(differences, *a->module, *b->module);
        return;
    }
    std::vector<const ReportedModule*> leftA, leftB;
    size_t i = 0, j = 0;
    while (i < countA || j < countB) {
        int order = i == countA ? 1 : j == countB ? -1 : CompareFolded(a[i].module->path, b[j].module->path);
        if (order == 0)
            Add(differences, *a[i++].module, *b[j++].module);
        else if (order < 0)
            leftA.push_back(a[i++].module);
        else
            leftB.push_back(b[j++].module);
    }
    size_t paired = std::min(leftA.size(), leftB.size());
    for (size_t k = 0; k < paired; ++k)
        Add(differences, *leftA[k], *leftB[k]);
    for (size_t k = paired; k < leftA.size(); ++k)
        differences.push_back({DiffChange::OnlyInA, leftA[k], nullptr, VersionDirection::Unknown});
    for (size_t k = paired; k < leftB.size(); ++k)
        differences.push_back({DiffChange::OnlyInB, nullptr, leftB[k], VersionDirection::Unknown});
}

}  // namespace

std::string_view ReportedName(std::string_view path)
{
    // A path in ASCII splits at its last separator in every code page; any other steps through
    // the characters of this machine's, as the lists do.
    if (std::none_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        size_t separator = path.find_last_of("\\/");
        if (separator != std::string_view::npos)
            return path.substr(separator + 1);
        return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
    }
    return path.substr(static_cast<size_t>(FolderLength(std::string(path).c_str())));
}

std::vector<ModuleDifference> CompareModules(const std::vector<ReportedModule>& a, const std::vector<ReportedModule>& b,
                                             DiffMatch match)
{
    std::string foldedA, foldedB;
    std::vector<Keyed> x = Sorted(a, match, foldedA), y = Sorted(b, match, foldedB);
    std::vector<ModuleDifference> differences;
    size_t i = 0, j = 0;
    while (i < x.size() || j < y.size()) {
        int order = i == x.size() ? 1 : j == y.size() ? -1 : CompareKeys(x[i].key, y[j].key);
        if (order < 0) {
            differences.push_back({DiffChange::OnlyInA, x[i++].module, nullptr, VersionDirection::Unknown});
        } else if (order > 0) {
            differences.push_back({DiffChange::OnlyInB, nullptr, y[j++].module, VersionDirection::Unknown});
        } else {
            size_t endX = i, endY = j;
            while (endX < x.size() && x[endX].key == x[i].key)
                ++endX;
            while (endY < y.size() && y[endY].key == y[j].key)
                ++endY;
            MatchGroup(differences, &x[i], endX - i, &y[j], endY - j);
            i = endX;
            j = endY;
        }
    }
    return differences;
}

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
