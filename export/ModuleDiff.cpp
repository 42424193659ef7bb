#include "export/ModuleDiff.h"

#include <algorithm>
#include <cstdint>
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

// A module with what it is matched by, folded once, and a hash of that: sorting compares the
// hashes, so that its n log n comparisons seldom read keys, which often begin alike
// ("api-ms-win-core-...").
struct Keyed {
    std::uint32_t hash;
    std::string_view key;
    const ReportedModule* module;
};

// Orders keys as memcmp would; inline, as it runs often.
int CompareKeys(std::string_view a, std::string_view b)
{
    size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// An order in which equal keys stand together: by hash, then by key.
int CompareKeyed(const Keyed& x, const Keyed& y)
{
    return x.hash != y.hash ? (x.hash < y.hash ? -1 : 1) : CompareKeys(x.key, y.key);
}

// The modules in that order, then in the order of their paths; the folded keys are kept in
// `folded`, one block for all.
std::vector<Keyed> Sorted(const std::vector<ReportedModule>& modules, DiffMatch match, std::string& folded)
{
    std::vector<Keyed> keyed;
    keyed.reserve(modules.size());
    size_t total = 0;
    for (const ReportedModule& module : modules) {
        keyed.push_back({0, match == DiffMatch::ByName ? ReportedName(module.path) : module.path, &module});
        total += keyed.back().key.size();
    }
    folded.resize(total);
    size_t at = 0;
    for (Keyed& entry : keyed) {
        // FNV-1a over the folded bytes. Locals, because a store of a char may alias anything:
        // through the entry, every byte would read its key's place and length again.
        const char* from = entry.key.data();
        const size_t length = entry.key.size();
        char* to = &folded[at];
        std::uint32_t hash = 2166136261U;
        for (size_t i = 0; i < length; ++i) {
            const char c = Folded(from[i]);
            to[i] = c;
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
        }
        entry = {hash, std::string_view(to, length), entry.module};
        at += length;
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        int order = CompareKeyed(x, y);
        return order != 0 ? order < 0 : CompareFolded(x.module->path, y.module->path) < 0;
    });
    return keyed;
}

// A difference with the key of its modules, by which the differences are ordered in the end.
struct Found {
    std::string_view key;
    ModuleDifference difference;
};

// The modules of list A and their partners in list B, found in the order of hashes and
// compared in the order of list A, which reads both lists about in their own order.
struct Partners {
    const ReportedModule* first;  // list A's first module
    std::vector<const ReportedModule*> partner;
    std::vector<std::string_view> key;

    void Pair(const ReportedModule& a, const ReportedModule& b, std::string_view matched)
    {
        partner[&a - first] = &b;
        key[&a - first] = matched;
    }
};

void Add(std::vector<Found>& found, std::string_view key, const ReportedModule& a, const ReportedModule& b)
{
    const VersionStatement& x = a.statement;
    const VersionStatement& y = b.statement;
    if (!x.split || !y.split) {
        if (a.text != b.text)
            found.push_back({key, {DiffChange::Text, &a, &b, VersionDirection::Unknown}});
        return;
    }
    bool version = x.version != y.version;
    bool description = x.hasDescription != y.hasDescription || x.description != y.description;
    if (!version && !description)
        return;
    DiffChange change = !version ? DiffChange::Description
                        : description ? DiffChange::VersionAndDescription
                                      : DiffChange::Version;
    found.push_back(
        {key, {change, &a, &b, version ? CompareVersions(x.version, y.version) : VersionDirection::Unknown}});
}

// Matches the modules of one key: equal paths first, then the others in the order of their paths.
void MatchGroup(std::vector<Found>& found, Partners& partners, const Keyed* a, size_t countA, const Keyed* b,
                size_t countB)
{
    const std::string_view key = a->key;
    if (countA == 1 && countB == 1) {
        partners.Pair(*a->module, *b->module, key);
        return;
    }
    std::vector<const ReportedModule*> leftA, leftB;
    size_t i = 0, j = 0;
    while (i < countA || j < countB) {
        int order = i == countA ? 1 : j == countB ? -1 : CompareFolded(a[i].module->path, b[j].module->path);
        if (order == 0)
            partners.Pair(*a[i++].module, *b[j++].module, key);
        else if (order < 0)
            leftA.push_back(a[i++].module);
        else
            leftB.push_back(b[j++].module);
    }
    size_t paired = std::min(leftA.size(), leftB.size());
    for (size_t k = 0; k < paired; ++k)
        partners.Pair(*leftA[k], *leftB[k], key);
    for (size_t k = paired; k < leftA.size(); ++k)
        found.push_back({key, {DiffChange::OnlyInA, leftA[k], nullptr, VersionDirection::Unknown}});
    for (size_t k = paired; k < leftB.size(); ++k)
        found.push_back({key, {DiffChange::OnlyInB, nullptr, leftB[k], VersionDirection::Unknown}});
}

}  // namespace

std::string_view ReportedName(std::string_view path)
{
    // The last backslash or slash ends the folder, unless it is the second byte of a character
    // of a multi-byte code page: only a byte from 0x80 on can begin one, and only then do the
    // characters of this machine's code page tell, stepped through as the lists do.
    size_t separator = path.size();
    while (separator > 0 && path[separator - 1] != '\\' && path[separator - 1] != '/')
        --separator;
    if (separator == 0)
        return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
    if (separator == 1 || static_cast<unsigned char>(path[separator - 2]) < 0x80)
        return path.substr(separator);
    return path.substr(static_cast<size_t>(FolderLength(std::string(path).c_str())));
}

std::vector<ModuleDifference> CompareModules(const std::vector<ReportedModule>& a, const std::vector<ReportedModule>& b,
                                             DiffMatch match)
{
    std::string foldedA, foldedB;
    std::vector<Keyed> x = Sorted(a, match, foldedA), y = Sorted(b, match, foldedB);
    Partners partners{a.data(), std::vector<const ReportedModule*>(a.size()), std::vector<std::string_view>(a.size())};
    std::vector<Found> found;
    size_t i = 0, j = 0;
    while (i < x.size() || j < y.size()) {
        int order = i == x.size() ? 1 : j == y.size() ? -1 : CompareKeyed(x[i], y[j]);
        if (order < 0) {
            found.push_back({x[i].key, {DiffChange::OnlyInA, x[i].module, nullptr, VersionDirection::Unknown}});
            ++i;
        } else if (order > 0) {
            found.push_back({y[j].key, {DiffChange::OnlyInB, nullptr, y[j].module, VersionDirection::Unknown}});
            ++j;
        } else {
            size_t endX = i, endY = j;
            while (endX < x.size() && CompareKeyed(x[endX], x[i]) == 0)
                ++endX;
            while (endY < y.size() && CompareKeyed(y[endY], y[j]) == 0)
                ++endY;
            MatchGroup(found, partners, &x[i], endX - i, &y[j], endY - j);
            i = endX;
            j = endY;
        }
    }
    for (size_t k = 0; k < a.size(); ++k)
        if (partners.partner[k])
            Add(found, partners.key[k], a[k], *partners.partner[k]);
    // Only the differences, usually few, are put in the order of their keys.
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& p, const Found& q) { return CompareKeys(p.key, q.key) < 0; });
    std::vector<ModuleDifference> differences;
    differences.reserve(found.size());
    for (const Found& difference : found)
        differences.push_back(difference.difference);
    return differences;
}
