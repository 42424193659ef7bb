#include "compare/FleetSpelling.h"

#include <algorithm>

#include "compare/VersionOrder.h"

namespace {

// For each key of `count` ids (paths or texts), the spelling that most lines write: `keyOf`,
// `spell` and `lines` give an id's key, spelling and lines.
template <class KeyOf, class Spell, class Lines>
std::vector<std::uint32_t> MostWritten(std::uint32_t ids, std::uint32_t keys, TextPool& spellings, KeyOf keyOf,
                                       Spell spell, Lines lines)
{
    struct Count {
        std::uint32_t key, spelling, lines;
    };
    IdMap index;
    std::vector<Count> counts;
    for (std::uint32_t id = 0; id < ids; ++id) {
        const std::uint32_t key = keyOf(id), spelling = spellings.Intern(spell(id)), next = static_cast<std::uint32_t>(counts.size());
        const std::uint32_t at = index.At(key, spelling, next);
        if (at == next)
            counts.push_back({key, spelling, 0});
        counts[at].lines += lines(id);
    }
    std::vector<std::uint32_t> best(keys, 0);
    std::vector<std::uint32_t> bestLines(keys, 0);
    for (const Count& count : counts) {
        std::uint32_t& held = best[count.key];
        if (count.lines > bestLines[count.key] ||
            (count.lines == bestLines[count.key] && spellings.Text(count.spelling) < spellings.Text(held))) {
            held = count.spelling;
            bestLines[count.key] = count.lines;
        }
    }
    return best;
}

}  // namespace

FleetSpelling::FleetSpelling(const FleetTally& tally) : m_tally(tally)
{
    const bool byName = tally.Match() == DiffMatch::ByName;
    m_module = MostWritten(
        tally.PathCount(), tally.KeyCount(), m_spellings, [&](std::uint32_t path) { return tally.KeyOfPath(path); },
        [&](std::uint32_t path) { return byName ? ReportedName(tally.Path(path)) : tally.Path(path); },
        [&](std::uint32_t path) { return tally.PathLines(path); });
    m_version = MostWritten(
        tally.TextCount(), tally.VersionCount(), m_spellings,
        [&](std::uint32_t text) { return tally.VersionOfText(text); },
        [&](std::uint32_t text) { return StatedVersion(tally.Text(text)); },
        [&](std::uint32_t text) { return tally.TextLines(text); });
    m_group = tally.GroupSpellings();
}

std::string FleetSpelling::Variant(std::uint32_t variant) const
{
    std::vector<std::uint32_t> versions = m_tally.VersionsOf(variant);
    std::sort(versions.begin(), versions.end(),
              [&](std::uint32_t a, std::uint32_t b) { return CompareVersionIds(m_tally, a, b) < 0; });
    std::string text;
    for (size_t i = 0; i < versions.size(); ++i)
        text += (i ? "|" : "") + std::string(Version(versions[i]));
    return text;
}

int CompareVersionIds(const FleetTally& tally, std::uint32_t a, std::uint32_t b)
{
    const std::string_view x = tally.VersionKey(a), y = tally.VersionKey(b);
    const bool numberX = IsNumberKey(x), numberY = IsNumberKey(y);
    if (numberX != numberY)
        return numberX ? 1 : -1;
    if (numberX) {
        const VersionDirection direction = CompareVersions(NumberOfKey(x), NumberOfKey(y));
        return direction == VersionDirection::Up ? -1 : direction == VersionDirection::Down ? 1 : 0;
    }
    return x.compare(y) < 0 ? -1 : x == y ? 0 : 1;
}

int CompareVariants(const FleetTally& tally, std::uint32_t a, std::uint32_t b)
{
    std::vector<std::uint32_t> x = tally.VersionsOf(a), y = tally.VersionsOf(b);
    const auto highestFirst = [&](std::uint32_t p, std::uint32_t q) { return CompareVersionIds(tally, p, q) > 0; };
    std::sort(x.begin(), x.end(), highestFirst);
    std::sort(y.begin(), y.end(), highestFirst);
    for (size_t i = 0; i < x.size() && i < y.size(); ++i)
        if (int order = CompareVersionIds(tally, x[i], y[i]))
            return order;
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}
