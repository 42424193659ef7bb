// The order of two versions written as numbers, as reports and version resources write them.
#pragma once

#include <string>
#include <string_view>

// Where a changed version went, when both versions are numbers.
enum class VersionDirection { Unknown, Same, Up, Down };

// Compares versions written as numbers, their parts separated by "." or ", " ("5.1.2600.2180",
// "5, 1, 2600, 2180", "6.00"), part by part, a missing part counting as 0; Unknown when either
// is something else.
VersionDirection CompareVersions(std::string_view a, std::string_view b);

// A version as a key that fleets compare: versions that CompareVersions finds the Same have
// equal keys, and so have equal texts; no others do. Numbers give "N" and their parts without
// leading zeros or trailing zero parts, "." between ("5, 01, 0" gives "N5.1", "0.0" "N0"); any other text
// gives "T" and the text.
std::string VersionKey(std::string_view version);
// Whether `key` is that of a version written as numbers; then NumberOfKey gives the numbers, as
// CompareVersions takes them.
bool IsNumberKey(std::string_view key);
std::string_view NumberOfKey(std::string_view key);
