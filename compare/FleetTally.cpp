#include "compare/FleetTally.h"

#include <algorithm>

#include "compare/FoldedText.h"
#include "compare/VersionOrder.h"
#include "compare/VersionStatement.h"

namespace {

// A variant of more than one version: its index among such variants, marked.
const std::uint32_t kCombined = 0x80000000U;
const std::uint32_t kNone = ~0U;

bool ByModuleTextPath(const HeldModule& a, const HeldModule& b)
{
    return a.module != b.module ? a.module < b.module : a.text != b.text ? a.text < b.text : a.path < b.path;
}

bool SameLine(const HeldModule& a, const HeldModule& b)
{
    return a.module == b.module && a.text == b.text && a.path == b.path;
}

// The index that `map` keeps for (`a`, `b`), the next of `list` when there is none yet: true
// when it is new.
template <class List> bool IndexOf(IdMap& map, std::uint32_t a, std::uint32_t b, const List& list, std::uint32_t& index)
{
    const std::uint32_t next = static_cast<std::uint32_t>(list.size());
    index = map.At(a, b, next);
    return index == next;
}

// The id of `text` in `pool`, counted once more in `counts`; a text met for the first time gets
// the id of what it is compared by, `compared()`, in `keys`.
template <class Compared>
std::uint32_t Counted(TextPool& pool, std::string_view text, std::vector<std::uint32_t>& keys,
                      std::vector<std::uint32_t>& counts, Compared compared)
{
    bool added;
    const std::uint32_t id = pool.Intern(text, added);
    if (added) {
        keys.push_back(compared());
        counts.push_back(0);
    }
    ++counts[id];
    return id;
}

}  // namespace

std::string StatedVersionKey(std::string_view text)
{
    const VersionStatement statement = SplitStatement(text);
    return statement.split ? VersionKey(statement.version) : "W" + std::string(text);
}

std::string_view StatedVersion(std::string_view text)
{
    const VersionStatement statement = SplitStatement(text);
    return statement.split ? statement.version : text;
}

void FleetTally::Add(std::wstring name, const ParsedReport& report)
{
    const std::uint32_t group = GroupOf(report.process);
    // Most reports of a group list the lines of the one before, in its order: a line found there
    // is known by comparing its bytes, without hashing.
    const bool known = group == m_previousGroup;
    m_lines.clear();
    for (size_t i = 0; i < report.modules.size(); ++i) {
        const ReportedModule& module = report.modules[i];
        if (known && i < m_previous.size() && SameText(m_paths.Text(m_previous[i].path), module.Path()) &&
            SameText(m_texts.Text(m_previous[i].text), module.Text())) {
            ++m_pathLines[m_previous[i].path];
            ++m_textLines[m_previous[i].text];
            m_lines.push_back(m_previous[i]);
            continue;
        }
        const std::uint32_t path = InternPath(module.Path()), text = InternText(module.Text());
        std::uint32_t tally;
        if (IndexOf(m_moduleIndex, group, m_keyOfPath[path], m_modules, tally))
            m_modules.push_back({group, m_keyOfPath[path], 0});
        m_lines.push_back({tally, text, path});
    }
    m_previous.assign(m_lines.begin(), m_lines.end());
    m_previousGroup = group;
    if (!std::is_sorted(m_lines.begin(), m_lines.end(), ByModuleTextPath))
        std::sort(m_lines.begin(), m_lines.end(), ByModuleTextPath);
    m_lines.erase(std::unique(m_lines.begin(), m_lines.end(), SameLine), m_lines.end());
    Count(group);
    m_machines.push_back({std::move(name), group, std::vector<HeldModule>(m_lines.begin(), m_lines.end())});
}

void FleetTally::Count(std::uint32_t group)
{
    ++m_groupSizes[group];
    for (auto run = m_lines.begin(); run != m_lines.end();) {
        auto end = run + 1;
        while (end != m_lines.end() && end->module == run->module)
            ++end;
        ++m_modules[run->module].present;
        const std::uint32_t variant = VariantOf(&*run, &*run + (end - run));
        std::uint32_t index;
        if (IndexOf(m_variantIndex, run->module, variant, m_variants, index))
            m_variants.push_back({run->module, variant, 0});
        ++m_variants[index].machines;
        run = end;
    }
}

std::uint32_t FleetTally::VariantOf(const HeldModule* first, const HeldModule* last)
{
    const std::uint32_t version = m_versionOfText[first->text];
    bool one = true;
    for (const HeldModule* line = first + 1; line != last && one; ++line)
        one = m_versionOfText[line->text] == version;
    if (one)
        return version;
    m_versionScratch.clear();
    for (const HeldModule* line = first; line != last; ++line)
        m_versionScratch.push_back(m_versionOfText[line->text]);
    std::sort(m_versionScratch.begin(), m_versionScratch.end());
    m_versionScratch.erase(std::unique(m_versionScratch.begin(), m_versionScratch.end()), m_versionScratch.end());
    auto found = m_combinedIndex.find(m_versionScratch);
    if (found != m_combinedIndex.end())
        return found->second;
    const std::uint32_t variant = kCombined | static_cast<std::uint32_t>(m_combined.size());
    m_combined.push_back(m_versionScratch);
    m_combinedIndex.emplace(m_versionScratch, variant);
    return variant;
}

std::vector<std::uint32_t> FleetTally::VersionsOf(std::uint32_t variant) const
{
    return variant & kCombined ? m_combined[variant & ~kCombined] : std::vector<std::uint32_t>{variant};
}

std::vector<std::uint32_t> FleetTally::GroupSpellings() const
{
    // As most machines spell it; of spellings as common, the first in the order of bytes.
    std::vector<std::uint32_t> best(m_groups.Size(), kNone);
    for (std::uint32_t process = 0; process < m_processes.Size(); ++process) {
        std::uint32_t& held = best[m_groupOfProcess[process]];
        if (held == kNone || m_processMachines[process] > m_processMachines[held] ||
            (m_processMachines[process] == m_processMachines[held] && Process(process) < Process(held)))
            held = process;
    }
    return best;
}

std::uint32_t FleetTally::GroupOf(std::string_view process)
{
    const std::uint32_t id = Counted(m_processes, process, m_groupOfProcess, m_processMachines,
                                     [&] { return m_groups.Intern(FoldedKey(process)); });
    m_groupSizes.resize(m_groups.Size(), 0);
    return m_groupOfProcess[id];
}

std::uint32_t FleetTally::InternPath(std::string_view path)
{
    return Counted(m_paths, path, m_keyOfPath, m_pathLines, [&] {
        return m_keys.Intern(FoldedKey(m_match == DiffMatch::ByName ? ReportedName(path) : path));
    });
}

std::uint32_t FleetTally::InternText(std::string_view text)
{
    return Counted(m_texts, text, m_versionOfText, m_textLines, [&] { return m_versions.Intern(StatedVersionKey(text)); });
}
