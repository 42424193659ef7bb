#include "cli/Arguments.h"

const char kUsage[] =
    "Usage: QuendrixCli COMMAND [OPTIONS]\n"
    "\n"
    "  processes                    every running process: id, file name, full path\n"
    "  modules PROCESS              every module of a process: full path, version, description\n"
    "  report PROCESS [--output FILE [--force]]\n"
    "                               the module report of a process, as the dialog saves it\n"
    "  copy PROCESS FOLDER          copies the module files of a process into FOLDER,\n"
    "                               never overwriting a file\n"
    "  find MODULE                  every process that has MODULE loaded (a file name or a\n"
    "                               full path; * and ? match any characters, one character)\n"
    "\n"
    "PROCESS is a process id or a program's file name (any case), such as explorer.exe.\n"
    "--csv, --json   processes, modules and find as CSV or JSON (UTF-8) instead of columns\n"
    "--output FILE   report: write into FILE, which must not exist unless --force is given\n"
    "--help          this text\n"
    "\n"
    "Exit status: 0 done, 1 partly done (a file not copied, a process that ended),\n"
    "2 a usage error, an unknown or ambiguous process, or an output that cannot be written.\n";

namespace {

struct Command {
    const char* name;
    size_t operands;
    bool listing;  // takes --csv and --json
};

const Command kCommands[] = {
    {"processes", 0, true}, {"modules", 1, true}, {"report", 1, false}, {"copy", 2, false}, {"find", 1, true},
};

}  // namespace

bool ParseArguments(const std::vector<std::string>& arguments, Arguments& parsed, std::string& error)
{
    parsed = Arguments();
    bool optionsEnd = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnd || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            if (parsed.command.empty())
                parsed.command = argument;
            else
                parsed.operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnd = true;
        } else if (argument == "--help") {
            parsed.help = true;
        } else if (argument == "--csv" || argument == "--json") {
            Format format = argument == "--csv" ? Format::Csv : Format::Json;
            if (parsed.format != Format::Text && parsed.format != format) {
                error = "--csv and --json exclude each other";
                return false;
            }
            parsed.format = format;
        } else if (argument == "--force") {
            parsed.force = true;
        } else if (argument == "--output") {
            if (i + 1 >= arguments.size()) {
                error = "--output needs a file name";
                return false;
            }
            parsed.hasOutput = true;
            parsed.output = arguments[++i];
        } else {
            error = "unknown option " + argument;
            return false;
        }
    }
    if (parsed.help)
        return true;
    if (parsed.command.empty()) {
        error = "no command given";
        return false;
    }
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (parsed.command == c.name)
            command = &c;
    if (!command) {
        error = "unknown command " + parsed.command;
        return false;
    }
    if (parsed.operands.size() != command->operands) {
        error = parsed.command + (parsed.operands.size() < command->operands ? ": missing " : ": too many ") +
                "operands";
        return false;
    }
    if (parsed.format != Format::Text && !command->listing) {
        error = parsed.command + " takes neither --csv nor --json";
        return false;
    }
    if ((parsed.hasOutput || parsed.force) && parsed.command != "report") {
        error = "only report takes --output and --force";
        return false;
    }
    if (parsed.force && !parsed.hasOutput) {
        error = "--force goes with --output";
        return false;
    }
    return true;
}
