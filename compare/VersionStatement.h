// The text between "(V" and ")" of a module report's line, split into version and description.
#pragma once

#include <string_view>

// How the text between "(V" and ")" of a module line reads. A product version may be written
// as numbers separated by ", " ("5, 1, 2600, 2180"), so ", " does not always end the version:
// - a version that begins with a bare number takes the bare numbers that follow it, up to four
//   numbers in all, and the description begins after them;
// - any other version ends at the first ", ";
// - where a bare number is followed by a fifth number, or by a part that begins with a digit
//   but is more than a number ("2180 (xpsp.080413-2111)"), the line cannot be split for sure:
//   `split` is false and `version` holds the whole text.
struct VersionStatement {
    bool split = true;
    std::string_view version;
    bool hasDescription = false;
    std::string_view description;
};
VersionStatement SplitStatement(std::string_view text);
