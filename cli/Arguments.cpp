#include "cli/Arguments.h"

#include "cli/Commands.h"

bool ParseArguments(const std::vector<std::string>& arguments, Arguments& parsed, std::string& error)
{
    parsed = Arguments();
    std::string name;
    bool named = false, optionsEnd = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnd || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            if (named)
                parsed.operands.push_back(argument);
            else
                name = argument;
            named = true;
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
    if (!named) {
        error = "no command given";
        return false;
    }
    const Command* command = FindCommand(name);
    if (!command) {
        error = "unknown command " + name;
        return false;
    }
    parsed.command = command;
    size_t operands = OperandCount(*command);
    if (parsed.operands.size() != operands) {
        error = name + (parsed.operands.size() < operands ? ": missing " : ": too many ") + "operands";
        return false;
    }
    if (parsed.format != Format::Text && !(command->options & kTakesFormat)) {
        error = name + " takes neither --csv nor --json";
        return false;
    }
    if ((parsed.hasOutput || parsed.force) && !(command->options & kTakesOutput)) {
        error = "only report takes --output and --force";
        return false;
    }
    if (parsed.force && !parsed.hasOutput) {
        error = "--force goes with --output";
        return false;
    }
    return true;
}
