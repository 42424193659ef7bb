// A fleet compared: the module reports of many machines, grouped by the process that each report
// names, and in each group the machines that run something other than most of the group.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/FleetInputs.h"
#include "compare/ModuleDiff.h"

// Where a machine stands on a module of its group.
enum class FleetState {
    Most,     // it has the module in the version of the most
    Other,    // in another version
    Missing,  // it lacks a module that at least half of the group's machines have
    Extra,    // it has a module that more than half of them lack
};

// One version of a module in a group, or the machines that lack the module.
struct FleetModuleRow {
    std::string process, module;
    std::uint32_t groupMachines;         // the machines of the group
    std::uint32_t present;               // those of them that have the module
    std::optional<std::string> version;  // none: the row of the machines that lack it
    std::uint32_t machines;              // those with this version, or lacking the module
    FleetState state;
    std::vector<std::wstring> differing;  // the machines of the row unless the state is Most
};

// One module of one machine that differs from its group.
struct FleetMachineRow {
    std::string process;
    std::wstring machine;
    std::string module;
    FleetState state;
    std::optional<std::string> version;  // the machine's, as its report writes it; none when missing
    std::optional<std::string> most;     // the version of the most; none for an extra module
    std::vector<std::string> paths;      // the machine's paths of the module
};

// One path of a module that few machines of its group have, on one of them.
struct FleetRareRow {
    std::uint32_t machines;  // how many machines of the group have the module
    std::string process, module;
    std::wstring machine;
    std::string path, version;
};

enum class FleetListing { Modules, Machines, Rare };

struct FleetQuestion {
    DiffMatch match = DiffMatch::ByName;
    FleetListing listing = FleetListing::Modules;
    std::uint32_t rare = 0;  // Rare: the modules on at most this many machines of their group
};

struct FleetAnswer {
    std::vector<FleetProblem> problems;  // the inputs and files that gave no report
    std::uint32_t machines = 0;          // the reports read
    bool differ = false;                 // some machine differs from its group
    std::vector<FleetModuleRow> modules;    // FleetListing::Modules
    std::vector<FleetMachineRow> odd;       // FleetListing::Machines
    std::vector<FleetRareRow> rare;         // FleetListing::Rare
};

// Reads the reports that `inputs` give (as ListFleetFiles finds them), one at a time, and
// answers `question`. A report that lists more modules than any process loads is no report.
// Rows are ordered by process and module name (a-z without regard to case), a module's version
// of the most first, then its other versions by their machines, most first, then by version,
// highest first, the machines that lack it last; the machines listing by process, machine and
// module; the rare listing by how many machines have the module, fewest first, then by process,
// module, machine and path. Machines in a row are in the order of their names.
FleetAnswer CompareFleet(const std::vector<std::wstring>& inputs, const FleetQuestion& question);
