#include "cli/Commands.h"

#include <cstring>

namespace {

const Command kCommands[] = {
    {"processes", "", kTakesFormat, "every running process: id, file name, full path", RunProcesses},
    {"modules", "PROCESS", kTakesFormat, "every module of a process: full path, version, description", RunModules},
    {"report", "PROCESS", kTakesOutput, "the module report of a process, as the dialog saves it", RunReport},
    {"copy", "PROCESS FOLDER", 0, "copies the module files of a process into FOLDER,\nnever overwriting a file", RunCopy},
    {"find", "MODULE", kTakesFormat,
     "every process that has MODULE loaded (a file name or a\nfull path; * and ? match any characters, one character)",
     RunFind},
};

const char kUsageTail[] =
    "\n"
    "PROCESS is a process id or a program's file name (any case), such as explorer.exe.\n"
    "--csv, --json   processes, modules and find as CSV or JSON (UTF-8) instead of columns\n"
    "--output FILE   report: write into FILE, which must not exist unless --force is given\n"
    "--help          this text\n"
    "\n"
    "Exit status: 0 done, 1 partly done (a file not copied, a process that ended),\n"
    "2 a usage error, an unknown or ambiguous process, or an output that cannot be written.\n";

// Where the descriptions of the usage begin.
const size_t kUsageColumn = 31;

}  // namespace

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

size_t OperandCount(const Command& command)
{
    size_t count = 0;
    for (const char* p = command.operands; *p; ++p)
        if (p == command.operands || (p[-1] == ' ' && *p != ' '))
            ++count;
    return count;
}

std::string UsageText()
{
    std::string text = "Usage: QuendrixCli COMMAND [OPTIONS]\n\n";
    const std::string indent(kUsageColumn, ' ');
    for (const Command& command : kCommands) {
        std::string synopsis = std::string("  ") + command.name;
        if (*command.operands)
            synopsis += std::string(" ") + command.operands;
        if (command.options & kTakesOutput)
            synopsis += " [--output FILE [--force]]";
        // A synopsis too long for its column has the description on the lines below.
        if (synopsis.size() + 2 > kUsageColumn)
            synopsis += "\n" + indent;
        else
            synopsis.resize(kUsageColumn, ' ');
        text += synopsis;
        for (const char* p = command.usage; *p; ++p)
            text += *p == '\n' ? "\n" + indent : std::string(1, *p);
        text += "\n";
    }
    return text + kUsageTail;
}
