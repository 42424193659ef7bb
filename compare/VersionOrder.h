// The order of two versions written as numbers, as reports and version resources write them.
#pragma once

#include <string_view>

// Where a changed version went, when both versions are numbers.
enum class VersionDirection { Unknown, Same, Up, Down };

// Compares versions written as numbers, their parts separated by "." or ", " ("5.1.2600.2180",
// "5, 1, 2600, 2180", "6.00"), part by part, a missing part counting as 0; Unknown when either
// is something else.
VersionDirection CompareVersions(std::string_view a, std::string_view b);
