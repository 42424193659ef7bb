// What each group of a fleet expects of its machines, and where each machine differs from it.
#pragma once

#include <cstdint>
#include <vector>

#include "compare/Fleet.h"
#include "compare/FleetTally.h"

// A machine's module that differs from its group.
struct OddModule {
    std::uint32_t machine, module;
    FleetState state;
};

struct FleetVerdict {
    // By module tally: whether the group expects the module, which it does when at least half its
    // machines have it (presence wins a tie, as the higher version does).
    std::vector<bool> expected;
    // By module tally: the variant on the most machines; of variants on as many, the highest.
    std::vector<std::uint32_t> most;
    // Every machine and module where the machine differs, by machine, then by module tally.
    std::vector<OddModule> odd;
};

FleetVerdict JudgeFleet(FleetTally& tally);
