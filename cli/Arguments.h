// The console program's command line: a command, its operands and its options.
#pragma once

#include <string>
#include <vector>

#include "cli/Output.h"

struct Command;

struct Arguments {
    const Command* command = nullptr;    // null only with --help or --version
    std::vector<std::wstring> operands;  // in order
    Format format = Format::Text;        // --csv, --json
    bool heading = true;                 // --no-header leaves the headings out
    bool hasOutput = false;              // --output FILE
    std::wstring output;
    bool force = false;    // --force: an existing --output file may be replaced
    bool byPath = false;    // --by-path: diff and fleet match modules by their whole paths
    bool machines = false;  // --machines: fleet lists the machines that differ
    bool hasRare = false;   // --rare N, as given: fleet reads it
    std::wstring rare;
    bool noSystem = false;  // --no-system: copy leaves out the system's own modules
    bool hasTimeout = false;  // --timeout SECONDS, as given: the command reads it
    std::wstring timeout;
    bool hasMinimum = false;  // --min LEVEL, as given: suspect reads it
    std::wstring minimum;
    bool hasExpected = false;  // --expected FILE: suspect's list of expected locations
    std::wstring expected;
    bool help = false;     // --help, -h, /?, help
    bool version = false;  // --version
};

// Parses the arguments after the program's name. False, with `error` saying what is wrong in
// one line, for an unknown command or option, a missing or extra operand, an option given twice
// or one that the command does not take.
bool ParseArguments(const std::vector<std::wstring>& arguments, Arguments& parsed, std::wstring& error);

// What the options say in the usage text.
std::string OptionsUsage();
