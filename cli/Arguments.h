// The console program's command line: a command, its operands and its options.
#pragma once

#include <string>
#include <vector>

#include "cli/Output.h"

struct Command;

struct Arguments {
    const Command* command = nullptr;   // null only with --help
    std::vector<std::string> operands;  // in order
    Format format = Format::Text;       // --csv, --json
    bool hasOutput = false;             // --output FILE
    std::string output;
    bool force = false;  // --force: an existing --output file may be replaced
    bool help = false;   // --help
};

// Parses the arguments after the program's name. False, with `error` saying what is wrong,
// for an unknown command or option, a missing or extra operand, or an option the command does
// not take.
bool ParseArguments(const std::vector<std::string>& arguments, Arguments& parsed, std::string& error);
