// A fleet's reports as they are read, one at a time: each path, text and name kept once, and of
// each machine only the ids of its modules; the machines counted for each module of each process
// group and for each version of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "compare/IdMap.h"
#include "compare/ModuleDiff.h"
#include "compare/TextPool.h"

// A line of a machine's report: the group's module it names, its text (version and description)
// and its path, as ids.
struct HeldModule {
    std::uint32_t module, text, path;
};

struct FleetMachine {
    std::wstring name;
    std::uint32_t group;
    std::vector<HeldModule> modules;  // by module, text and path; each once
};

// A module of a process group (`key` is what modules are matched by), and on how many of the
// group's machines it is.
struct ModuleTally {
    std::uint32_t group, key, present;
};

// How many machines have a module in one version. A machine whose report lists the module more
// than once (in two folders, say) has the set of their versions as its version: a variant of
// its own, when the set has more than one version.
struct VariantTally {
    std::uint32_t module, variant, machines;
};

class FleetTally {
public:
    explicit FleetTally(DiffMatch match) : m_match(match) {}
    FleetTally(const FleetTally&) = delete;
    FleetTally& operator=(const FleetTally&) = delete;

    // Counts the machine `name`, whose report is `report`; keeps nothing of the report itself.
    void Add(std::wstring name, const ParsedReport& report);

    const std::vector<FleetMachine>& Machines() const { return m_machines; }
    const std::vector<ModuleTally>& Modules() const { return m_modules; }
    const std::vector<VariantTally>& Variants() const { return m_variants; }
    std::uint32_t GroupCount() const { return m_groups.Size(); }
    std::uint32_t GroupSize(std::uint32_t group) const { return m_groupSizes[group]; }

    // The variant of a machine's lines [`first`, `last`) of one module.
    std::uint32_t VariantOf(const HeldModule* first, const HeldModule* last);
    // The versions of a variant, each a version id.
    std::vector<std::uint32_t> VersionsOf(std::uint32_t variant) const;

    // Ids of what the reports wrote, and of the keys they are compared by.
    std::uint32_t VersionOfText(std::uint32_t text) const { return m_versionOfText[text]; }
    // For each group, the process name that stands for it: as most machines spell it.
    std::vector<std::uint32_t> GroupSpellings() const;
    std::string_view Path(std::uint32_t path) const { return m_paths.Text(path); }
    std::string_view Text(std::uint32_t text) const { return m_texts.Text(text); }
    std::string_view Process(std::uint32_t process) const { return m_processes.Text(process); }
    std::string_view VersionKey(std::uint32_t version) const { return m_versions.Text(version); }
    std::uint32_t TextCount() const { return m_texts.Size(); }
    std::uint32_t PathCount() const { return m_paths.Size(); }
    std::uint32_t KeyOfPath(std::uint32_t path) const { return m_keyOfPath[path]; }
    std::uint32_t KeyCount() const { return m_keys.Size(); }
    std::uint32_t VersionCount() const { return m_versions.Size(); }
    // How many lines of all reports name a path or hold a text.
    std::uint32_t PathLines(std::uint32_t path) const { return m_pathLines[path]; }
    std::uint32_t TextLines(std::uint32_t text) const { return m_textLines[text]; }
    DiffMatch Match() const { return m_match; }

private:
    std::uint32_t GroupOf(std::string_view process);
    std::uint32_t InternPath(std::string_view path);
    std::uint32_t InternText(std::string_view text);
    void Count(std::uint32_t group);

    DiffMatch m_match;
    TextPool m_paths, m_texts, m_processes;  // as the reports wrote them
    TextPool m_keys, m_versions, m_groups;   // what they are compared by
    std::vector<std::uint32_t> m_keyOfPath, m_pathLines, m_versionOfText, m_textLines;
    std::vector<std::uint32_t> m_groupOfProcess, m_processMachines, m_groupSizes;
    IdMap m_moduleIndex, m_variantIndex;
    std::vector<ModuleTally> m_modules;
    std::vector<VariantTally> m_variants;
    std::map<std::vector<std::uint32_t>, std::uint32_t> m_combinedIndex;
    std::vector<std::vector<std::uint32_t>> m_combined;
    std::vector<FleetMachine> m_machines;
    std::vector<HeldModule> m_lines;              // the machine being added
    std::vector<HeldModule> m_previous;           // the one before, in the order of its report
    std::uint32_t m_previousGroup = ~0U;
    std::vector<std::uint32_t> m_versionScratch;  // the versions of one of its modules
};

// What a module line's text is compared by across machines: its version, as diff reads it (a
// line that cannot be split for sure is its whole text), with versions of equal numbers alike.
std::string StatedVersionKey(std::string_view text);
// The version of a line's text as the line writes it.
std::string_view StatedVersion(std::string_view text);
