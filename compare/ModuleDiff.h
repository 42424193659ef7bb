// Comparing two module lists read from reports: the modules that only one of them has, and
// those that both have with another version or description. Paths and texts are compared as
// the reports' bytes; letters A-Z in names and paths match a-z.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "compare/ReportReader.h"
#include "compare/VersionOrder.h"

// What modules are matched by: their file names (two machines install in different folders),
// or their whole paths. Where a name occurs more than once in a list, equal paths are matched
// first, and the others in the order of their paths.
enum class DiffMatch { ByName, ByPath };

enum class DiffChange {
    OnlyInA,
    OnlyInB,
    Version,
    Description,
    VersionAndDescription,
    Text,  // a line that cannot be split for sure differs in the whole text after its path
};

struct ModuleDifference {
    DiffChange change;
    const ReportedModule* a;  // null for OnlyInB
    const ReportedModule* b;  // null for OnlyInA
    VersionDirection direction;
};

// The differences between lists `a` and `b`, ordered by what modules are matched by (a-z
// without regard to case); of one name, those that only one list has come first. Takes
// O(n log n) for n modules.
std::vector<ModuleDifference> CompareModules(const std::vector<ReportedModule>& a, const std::vector<ReportedModule>& b,
                                             DiffMatch match);

// The file name of a report's path: what follows its last folder separator.
std::string_view ReportedName(std::string_view path);

// The hash by which modules are matched: equal for keys equal without regard to case (A-Z).
std::uint32_t FoldedHash(std::string_view key);
