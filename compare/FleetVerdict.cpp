#include "compare/FleetVerdict.h"

#include "compare/FleetSpelling.h"

namespace {

const std::uint32_t kNone = ~0U;

// The variant of the most of each module tally.
std::vector<std::uint32_t> MostVariants(const FleetTally& tally)
{
    std::vector<std::uint32_t> most(tally.Modules().size(), kNone), machines(most.size(), 0);
    for (const VariantTally& variant : tally.Variants()) {
        std::uint32_t& held = most[variant.module];
        if (held == kNone || variant.machines > machines[variant.module] ||
            (variant.machines == machines[variant.module] && CompareVariants(tally, variant.variant, held) > 0)) {
            held = variant.variant;
            machines[variant.module] = variant.machines;
        }
    }
    return most;
}

// Where machine `index` differs from what its group expects (`wanted`, ascending).
void JudgeMachine(FleetTally& tally, std::uint32_t index, const std::vector<std::uint32_t>& wanted,
                  FleetVerdict& verdict)
{
    const std::vector<HeldModule>& held = tally.Machines()[index].modules;
    size_t next = 0;
    for (size_t run = 0; run < held.size();) {
        size_t end = run + 1;
        while (end < held.size() && held[end].module == held[run].module)
            ++end;
        const std::uint32_t module = held[run].module;
        for (; next < wanted.size() && wanted[next] < module; ++next)
            verdict.odd.push_back({index, wanted[next], FleetState::Missing});
        if (next < wanted.size() && wanted[next] == module)
            ++next;
        if (!verdict.expected[module])
            verdict.odd.push_back({index, module, FleetState::Extra});
        else if (tally.VariantOf(&held[run], &held[run] + (end - run)) != verdict.most[module])
            verdict.odd.push_back({index, module, FleetState::Other});
        run = end;
    }
    for (; next < wanted.size(); ++next)
        verdict.odd.push_back({index, wanted[next], FleetState::Missing});
}

}  // namespace

FleetVerdict JudgeFleet(FleetTally& tally)
{
    FleetVerdict verdict;
    const std::vector<ModuleTally>& modules = tally.Modules();
    verdict.expected.resize(modules.size());
    std::vector<std::vector<std::uint32_t>> wanted(tally.GroupCount());
    for (std::uint32_t module = 0; module < modules.size(); ++module) {
        verdict.expected[module] = 2 * static_cast<std::uint64_t>(modules[module].present) >= tally.GroupSize(modules[module].group);
        if (verdict.expected[module])
            wanted[modules[module].group].push_back(module);
    }
    verdict.most = MostVariants(tally);
    for (std::uint32_t machine = 0; machine < tally.Machines().size(); ++machine)
        JudgeMachine(tally, machine, wanted[tally.Machines()[machine].group], verdict);
    return verdict;
}
