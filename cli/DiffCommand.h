// diff's listing: one row per module that differs between two module lists.
#pragma once

#include <vector>

#include "cli/Output.h"
#include "compare/ModuleDiff.h"

// The columns of the listing, the same in text, CSV and JSON.
const std::vector<Column>& DiffColumns();
// One row per difference, in the order given. Texts of the reports are shown in this machine's
// ANSI code page; what a side lacks is null.
std::vector<Row> DiffRows(const std::vector<ModuleDifference>& differences, DiffMatch match);
