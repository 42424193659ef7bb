#include "compare/FleetRows.h"

#include <algorithm>

#include "compare/FoldedText.h"
#include "paths/WidePath.h"

namespace {

const std::uint32_t kNone = ~0U;

// Names a-z without regard to case, then as written.
int CompareNames(std::string_view a, std::string_view b)
{
    const int order = CompareFolded(a, b);
    return order ? order : a.compare(b);
}

// Negative, zero or positive as module tally `a` sorts before, with or after `b`: by process,
// then by module.
int CompareModules(const JudgedFleet& fleet, std::uint32_t a, std::uint32_t b)
{
    const ModuleTally &x = fleet.tally.Modules()[a], &y = fleet.tally.Modules()[b];
    if (x.group != y.group)
        return CompareNames(fleet.spelling.Group(x.group), fleet.spelling.Group(y.group));
    return x.key == y.key ? 0 : CompareNames(fleet.spelling.Module(x.key), fleet.spelling.Module(y.key));
}

// The lines of machine `machine` that name module tally `module`.
struct Run {
    const HeldModule *first, *last;
};
Run LinesOf(const FleetMachine& machine, std::uint32_t module)
{
    const auto first = std::lower_bound(machine.modules.begin(), machine.modules.end(), module,
                                        [](const HeldModule& held, std::uint32_t m) { return held.module < m; });
    auto last = first;
    while (last != machine.modules.end() && last->module == module)
        ++last;
    const HeldModule* base = machine.modules.data();
    return {base + (first - machine.modules.begin()), base + (last - machine.modules.begin())};
}

// The distinct texts of `values`, in the order of bytes.
std::vector<std::string> Distinct(std::vector<std::string_view> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return std::vector<std::string>(values.begin(), values.end());
}

// A machine's versions of a module as its lines write them, in version order, "|" between.
std::string OwnVersions(const FleetTally& tally, const Run& run)
{
    struct Written {
        std::uint32_t version;
        std::string_view text;
    };
    std::vector<Written> written;
    for (const HeldModule* line = run.first; line != run.last; ++line)
        written.push_back({tally.VersionOfText(line->text), StatedVersion(tally.Text(line->text))});
    std::sort(written.begin(), written.end(), [&](const Written& a, const Written& b) {
        const int order = CompareVersionIds(tally, a.version, b.version);
        return order ? order < 0 : a.text < b.text;
    });
    std::string text;
    for (size_t i = 0; i < written.size(); ++i)
        if (i == 0 || written[i].text != written[i - 1].text)
            text += (text.empty() ? "" : "|") + std::string(written[i].text);
    return text;
}

// A module row before it is written out: a variant of a module tally, or (kNone) those lacking it.
struct Pending {
    std::uint32_t module, variant, machines;
    FleetState state;
    std::vector<std::uint32_t> members;  // machine indices, unless the state is Most
};

int Place(FleetState state)
{
    return state == FleetState::Most ? 0 : state == FleetState::Missing ? 2 : 1;
}

std::vector<Pending> PendingModuleRows(const JudgedFleet& fleet)
{
    const std::vector<ModuleTally>& modules = fleet.tally.Modules();
    std::vector<Pending> pending;
    IdMap rowOf;
    for (const VariantTally& variant : fleet.tally.Variants()) {
        const bool most = fleet.verdict.most[variant.module] == variant.variant;
        const FleetState state = !fleet.verdict.expected[variant.module] ? FleetState::Extra
                                 : most                                  ? FleetState::Most
                                                                         : FleetState::Other;
        rowOf.At(variant.module, variant.variant, static_cast<std::uint32_t>(pending.size()));
        pending.push_back({variant.module, variant.variant, variant.machines, state, {}});
    }
    std::vector<std::uint32_t> missingRow(modules.size(), kNone);
    for (std::uint32_t module = 0; module < modules.size(); ++module) {
        const std::uint32_t machines = fleet.tally.GroupSize(modules[module].group);
        if (fleet.verdict.expected[module] && modules[module].present < machines) {
            missingRow[module] = static_cast<std::uint32_t>(pending.size());
            pending.push_back({module, kNone, machines - modules[module].present, FleetState::Missing, {}});
        }
    }
    for (const OddModule& odd : fleet.verdict.odd) {
        std::uint32_t row = missingRow[odd.module];
        if (odd.state != FleetState::Missing) {
            const Run run = LinesOf(fleet.tally.Machines()[odd.machine], odd.module);
            row = rowOf.At(odd.module, fleet.tally.VariantOf(run.first, run.last), kNone);
        }
        pending[row].members.push_back(odd.machine);
    }
    return pending;
}

}  // namespace

std::vector<std::uint32_t> RankByName(const std::vector<FleetMachine>& machines)
{
    std::vector<std::wstring> lowered;
    lowered.reserve(machines.size());
    for (const FleetMachine& machine : machines)
        lowered.push_back(LowerCase(machine.name));
    std::vector<std::uint32_t> order(machines.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return lowered[a] != lowered[b] ? lowered[a] < lowered[b] : machines[a].name < machines[b].name;
    });
    std::vector<std::uint32_t> rank(machines.size());
    for (std::uint32_t place = 0; place < order.size(); ++place)
        rank[order[place]] = place;
    return rank;
}

std::vector<FleetModuleRow> ModuleRows(const JudgedFleet& fleet)
{
    std::vector<Pending> pending = PendingModuleRows(fleet);
    std::sort(pending.begin(), pending.end(), [&](const Pending& a, const Pending& b) {
        if (int order = CompareModules(fleet, a.module, b.module))
            return order < 0;
        if (Place(a.state) != Place(b.state))
            return Place(a.state) < Place(b.state);
        if (a.machines != b.machines)
            return a.machines > b.machines;
        return a.variant != b.variant && CompareVariants(fleet.tally, a.variant, b.variant) > 0;
    });
    std::vector<FleetModuleRow> rows;
    rows.reserve(pending.size());
    for (Pending& row : pending) {
        const ModuleTally& module = fleet.tally.Modules()[row.module];
        std::sort(row.members.begin(), row.members.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return fleet.rank[a] < fleet.rank[b]; });
        std::vector<std::wstring> names;
        names.reserve(row.members.size());
        for (std::uint32_t machine : row.members)
            names.push_back(fleet.tally.Machines()[machine].name);
        rows.push_back({std::string(fleet.spelling.Group(module.group)), std::string(fleet.spelling.Module(module.key)),
                        fleet.tally.GroupSize(module.group), module.present,
                        row.variant == kNone ? std::nullopt : std::optional<std::string>(fleet.spelling.Variant(row.variant)),
                        row.machines, row.state, std::move(names)});
    }
    return rows;
}

std::vector<FleetMachineRow> MachineRows(const JudgedFleet& fleet)
{
    std::vector<OddModule> odd = fleet.verdict.odd;
    const std::vector<FleetMachine>& machines = fleet.tally.Machines();
    std::sort(odd.begin(), odd.end(), [&](const OddModule& a, const OddModule& b) {
        const std::uint32_t x = machines[a.machine].group, y = machines[b.machine].group;
        if (x != y)
            return CompareNames(fleet.spelling.Group(x), fleet.spelling.Group(y)) < 0;
        if (a.machine != b.machine)
            return fleet.rank[a.machine] < fleet.rank[b.machine];
        return CompareModules(fleet, a.module, b.module) < 0;
    });
    std::vector<FleetMachineRow> rows;
    rows.reserve(odd.size());
    for (const OddModule& entry : odd) {
        const ModuleTally& module = fleet.tally.Modules()[entry.module];
        const Run run = LinesOf(machines[entry.machine], entry.module);
        std::vector<std::string_view> paths;
        for (const HeldModule* line = run.first; line != run.last; ++line)
            paths.push_back(fleet.tally.Path(line->path));
        FleetMachineRow row{std::string(fleet.spelling.Group(module.group)), machines[entry.machine].name,
                            std::string(fleet.spelling.Module(module.key)), entry.state, std::nullopt, std::nullopt, {}};
        if (entry.state != FleetState::Missing)
            row.version = OwnVersions(fleet.tally, run);
        if (entry.state != FleetState::Extra)
            row.most = fleet.spelling.Variant(fleet.verdict.most[entry.module]);
        row.paths = Distinct(paths);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<FleetRareRow> RareRows(const JudgedFleet& fleet, std::uint32_t most)
{
    struct Line {
        std::uint32_t machine;
        HeldModule held;
    };
    const std::vector<FleetMachine>& machines = fleet.tally.Machines();
    const std::vector<ModuleTally>& modules = fleet.tally.Modules();
    std::vector<Line> lines;
    for (std::uint32_t machine = 0; machine < machines.size(); ++machine)
        for (const HeldModule& held : machines[machine].modules)
            if (modules[held.module].present <= most)
                lines.push_back({machine, held});
    std::sort(lines.begin(), lines.end(), [&](const Line& a, const Line& b) {
        const std::uint32_t x = modules[a.held.module].present, y = modules[b.held.module].present;
        if (x != y)
            return x < y;
        if (int order = CompareModules(fleet, a.held.module, b.held.module))
            return order < 0;
        if (a.machine != b.machine)
            return fleet.rank[a.machine] < fleet.rank[b.machine];
        if (int order = fleet.tally.Path(a.held.path).compare(fleet.tally.Path(b.held.path)))
            return order < 0;
        return fleet.tally.Text(a.held.text) < fleet.tally.Text(b.held.text);
    });
    std::vector<FleetRareRow> rows;
    rows.reserve(lines.size());
    for (const Line& line : lines) {
        const ModuleTally& module = modules[line.held.module];
        rows.push_back({module.present, std::string(fleet.spelling.Group(module.group)),
                        std::string(fleet.spelling.Module(module.key)), machines[line.machine].name,
                        std::string(fleet.tally.Path(line.held.path)),
                        std::string(StatedVersion(fleet.tally.Text(line.held.text)))});
    }
    return rows;
}
