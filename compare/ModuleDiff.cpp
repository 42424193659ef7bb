#include "compare/ModuleDiff.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "compare/FoldedText.h"
#include "paths/DisplayName.h"

// FNV-1a over the folded bytes of `key`: equal keys without regard to case hash alike.
std::uint32_t FoldedHash(std::string_view key)
{
    std::uint32_t hash = 2166136261U;
    for (char c : key)
        hash = (hash ^ static_cast<unsigned char>(Folded(c))) * 16777619U;
    return hash;
}

namespace {

// A module of a list, by its place in the list, with the hash of what it is matched by.
struct Ranked {
    std::uint32_t hash;
    std::uint32_t index;
};

// One list's modules with what each is matched by, and an order in which equal keys stand
// together: by hash, then by key, then by path. Keys often begin alike ("api-ms-win-core-..."),
// so the order is made of the hashes in linear time, and keys and paths are read only where
// hashes are equal.
struct KeyedList {
    KeyedList(const std::vector<ReportedModule>& list, DiffMatch match);

    const ReportedModule& Module(const Ranked& ranked) const { return modules[ranked.index]; }
    std::string_view Key(const Ranked& ranked) const { return keys[ranked.index]; }

    const std::vector<ReportedModule>& modules;
    std::vector<std::string_view> keys;  // in the list's order
    std::vector<Ranked> order;
};

// Sorts by hash, keeping the list's order among equal hashes: a byte of the hash per pass.
void SortByHash(std::vector<Ranked>& ranked)
{
    std::vector<Ranked> sorted(ranked.size());
    for (int shift = 0; shift < 32; shift += 8) {
        size_t start[257] = {};
        for (const Ranked& entry : ranked)
            ++start[((entry.hash >> shift) & 0xFF) + 1];
        for (size_t i = 1; i < 257; ++i)
            start[i] += start[i - 1];
        for (const Ranked& entry : ranked)
            sorted[start[(entry.hash >> shift) & 0xFF]++] = entry;
        ranked.swap(sorted);
    }
}

// Negative, zero or positive as module `x` of list `p` sorts before, with or after module `y`
// of list `q` by what they are matched by.
int CompareKeyed(const KeyedList& p, const Ranked& x, const KeyedList& q, const Ranked& y)
{
    return x.hash != y.hash ? (x.hash < y.hash ? -1 : 1) : CompareFolded(p.Key(x), q.Key(y));
}

KeyedList::KeyedList(const std::vector<ReportedModule>& list, DiffMatch match) : modules(list)
{
    keys.reserve(modules.size());
    order.reserve(modules.size());
    for (const ReportedModule& module : modules) {
        keys.push_back(match == DiffMatch::ByName ? ReportedName(module.Path()) : module.Path());
        order.push_back({FoldedHash(keys.back()), static_cast<std::uint32_t>(order.size())});
    }
    SortByHash(order);
    // Equal hashes, mostly of one name listed twice, are put in the order of their keys and paths.
    for (auto run = order.begin(); run != order.end();) {
        auto end = run + 1;
        while (end != order.end() && end->hash == run->hash)
            ++end;
        if (end - run > 1)
            std::stable_sort(run, end, [this](const Ranked& x, const Ranked& y) {
                int byKey = CompareFolded(Key(x), Key(y));
                return byKey != 0 ? byKey < 0 : CompareFolded(Module(x).Path(), Module(y).Path()) < 0;
            });
        run = end;
    }
}

// A difference with the key of its modules, by which the differences are ordered in the end.
struct Found {
    std::string_view key;
    ModuleDifference difference;
};

void Add(std::vector<Found>& found, std::string_view key, const ReportedModule& a, const ReportedModule& b)
{
    if (a.Text() == b.Text())
        return;
    const VersionStatement x = a.Statement(), y = b.Statement();
    if (!x.split || !y.split) {
        found.push_back({key, {DiffChange::Text, &a, &b, VersionDirection::Unknown}});
        return;
    }
    bool version = x.version != y.version;
    bool description = x.hasDescription != y.hasDescription || x.description != y.description;
    DiffChange change = !version ? DiffChange::Description
                        : description ? DiffChange::VersionAndDescription
                                      : DiffChange::Version;
    found.push_back(
        {key, {change, &a, &b, version ? CompareVersions(x.version, y.version) : VersionDirection::Unknown}});
}

// Matches the modules of one key, at `a` in list `x` and at `b` in list `y`: equal paths first,
// then the others in the order of their paths. Pairs go into `partner`, by list A's places.
void MatchGroup(std::vector<Found>& found, std::vector<const ReportedModule*>& partner, const KeyedList& x,
                const Ranked* a, size_t countA, const KeyedList& y, const Ranked* b, size_t countB)
{
    if (countA == 1 && countB == 1) {
        partner[a->index] = &y.Module(*b);
        return;
    }
    std::vector<Ranked> leftA, leftB;
    size_t i = 0, j = 0;
    while (i < countA || j < countB) {
        int order = i == countA ? 1 : j == countB ? -1 : CompareFolded(x.Module(a[i]).Path(), y.Module(b[j]).Path());
        if (order == 0)
            partner[a[i++].index] = &y.Module(b[j++]);
        else if (order < 0)
            leftA.push_back(a[i++]);
        else
            leftB.push_back(b[j++]);
    }
    size_t paired = std::min(leftA.size(), leftB.size());
    for (size_t k = 0; k < paired; ++k)
        partner[leftA[k].index] = &y.Module(leftB[k]);
    for (size_t k = paired; k < leftA.size(); ++k)
        found.push_back({x.Key(leftA[k]), {DiffChange::OnlyInA, &x.Module(leftA[k]), nullptr, VersionDirection::Unknown}});
    for (size_t k = paired; k < leftB.size(); ++k)
        found.push_back({y.Key(leftB[k]), {DiffChange::OnlyInB, nullptr, &y.Module(leftB[k]), VersionDirection::Unknown}});
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
    const KeyedList x(a, match), y(b, match);
    // The partners are found in the order of hashes and compared in the order of list A, which
    // reads both lists about in their own order.
    std::vector<const ReportedModule*> partner(a.size());
    std::vector<Found> found;
    const std::vector<Ranked>&p = x.order, &q = y.order;
    size_t i = 0, j = 0;
    while (i < p.size() || j < q.size()) {
        int order = i == p.size() ? 1 : j == q.size() ? -1 : CompareKeyed(x, p[i], y, q[j]);
        if (order < 0) {
            found.push_back({x.Key(p[i]), {DiffChange::OnlyInA, &x.Module(p[i]), nullptr, VersionDirection::Unknown}});
            ++i;
        } else if (order > 0) {
            found.push_back({y.Key(q[j]), {DiffChange::OnlyInB, nullptr, &y.Module(q[j]), VersionDirection::Unknown}});
            ++j;
        } else {
            size_t endX = i + 1, endY = j + 1;
            while (endX < p.size() && CompareKeyed(x, p[endX], x, p[i]) == 0)
                ++endX;
            while (endY < q.size() && CompareKeyed(y, q[endY], y, q[j]) == 0)
                ++endY;
            MatchGroup(found, partner, x, &p[i], endX - i, y, &q[j], endY - j);
            i = endX;
            j = endY;
        }
    }
    for (size_t k = 0; k < a.size(); ++k)
        if (partner[k])
            Add(found, x.keys[k], a[k], *partner[k]);
    // Only the differences, usually few, are put in the order of their keys.
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& f, const Found& g) { return CompareFolded(f.key, g.key) < 0; });
    std::vector<ModuleDifference> differences;
    differences.reserve(found.size());
    for (const Found& difference : found)
        differences.push_back(difference.difference);
    return differences;
}
