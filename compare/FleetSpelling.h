// How a fleet's listings write what was compared by keys: a module's name (or path), a process's
// name and a version as most lines of the reports write them; of spellings as common, the first
// in the order of bytes. Versions of equal numbers written otherwise ("5, 1" and "5.1") and names
// in another case are one key; the listing shows one spelling of each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/FleetTally.h"

class FleetSpelling {
public:
    explicit FleetSpelling(const FleetTally& tally);
    FleetSpelling(const FleetSpelling&) = delete;
    FleetSpelling& operator=(const FleetSpelling&) = delete;

    std::string_view Module(std::uint32_t key) const { return m_spellings.Text(m_module[key]); }
    std::string_view Version(std::uint32_t version) const { return m_spellings.Text(m_version[version]); }
    std::string_view Group(std::uint32_t group) const { return m_tally.Process(m_group[group]); }
    // A variant's versions in version order, lowest first, joined by "|".
    std::string Variant(std::uint32_t variant) const;

private:
    const FleetTally& m_tally;
    TextPool m_spellings;
    std::vector<std::uint32_t> m_module, m_version, m_group;
};

// Negative, zero or positive as version `a` ranks below, with or above version `b` (both
// version ids): numbers as numbers, above any version that is not a number; those rank in the
// order of their bytes. A variant of several versions ranks by its highest, then its next ones.
int CompareVersionIds(const FleetTally& tally, std::uint32_t a, std::uint32_t b);
int CompareVariants(const FleetTally& tally, std::uint32_t a, std::uint32_t b);
