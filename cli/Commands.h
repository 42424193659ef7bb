// The console program's commands: one table, from which the parser, the usage text and the
// dispatch are made. Each command is a thin function over the engine that the dialog uses.
#pragma once

#include <cstddef>
#include <string>

struct Arguments;
class Session;

// The options a command takes besides --help.
enum CommandOptions : unsigned {
    kTakesFormat = 1,  // --csv, --json, --no-header
    kTakesOutput = 2,  // --output FILE, --force
    kTakesMatch = 4,   // --by-path
    kTakesSystem = 8,  // --no-system
    kTakesTimeout = 16,  // --timeout SECONDS
    kTakesFleet = 32,    // --machines, --rare N
    kTakesSuspect = 64,  // --min LEVEL, --expected FILE
};

struct Command {
    const char* name;
    const char* operands;  // as the usage names them, separated by blanks; "" for none; "[NAME]"
                           // for one that may be left out, after those that may not; "NAME..."
                           // last for one or more
    unsigned options;      // CommandOptions
    const char* usage;     // what the usage says it does; a line feed starts another line
    int (*run)(const Arguments& arguments, Session& session);
};

// The command named `name`, in any case; null when there is none.
const Command* FindCommand(const std::wstring& name);
// How many operands `command` takes at most, and how many it needs.
size_t OperandCount(const Command& command);
size_t RequiredOperandCount(const Command& command);

// What --help prints, made from the tables of commands and options.
std::string UsageText();

// The handlers, each in the file of its command.
int RunProcesses(const Arguments& arguments, Session& session);
int RunModules(const Arguments& arguments, Session& session);
int RunReport(const Arguments& arguments, Session& session);
int RunCopy(const Arguments& arguments, Session& session);
int RunFind(const Arguments& arguments, Session& session);
int RunDiff(const Arguments& arguments, Session& session);
int RunFleet(const Arguments& arguments, Session& session);
int RunStale(const Arguments& arguments, Session& session);
int RunWait(const Arguments& arguments, Session& session);
int RunSuspect(const Arguments& arguments, Session& session);
