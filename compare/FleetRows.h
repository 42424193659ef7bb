// The listings of a judged fleet, in the order that CompareFleet promises.
#pragma once

#include <cstdint>
#include <vector>

#include "compare/Fleet.h"
#include "compare/FleetSpelling.h"
#include "compare/FleetTally.h"
#include "compare/FleetVerdict.h"

// What the listings are made of: the tally, how it is spelt, the verdict, and each machine's
// place in the order of names.
struct JudgedFleet {
    FleetTally& tally;
    const FleetSpelling& spelling;
    const FleetVerdict& verdict;
    const std::vector<std::uint32_t>& rank;
};

std::vector<FleetModuleRow> ModuleRows(const JudgedFleet& fleet);
std::vector<FleetMachineRow> MachineRows(const JudgedFleet& fleet);
std::vector<FleetRareRow> RareRows(const JudgedFleet& fleet, std::uint32_t most);

// Each machine's place when they are ordered by name (a-z without regard to case, then as
// written).
std::vector<std::uint32_t> RankByName(const std::vector<FleetMachine>& machines);
