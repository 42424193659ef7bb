#include "cli/Arguments.h"

#include <set>

#include "cli/Commands.h"
#include "framework/Encoding.h"

namespace {

struct Option {
    const char* name;
    const char* value;  // what the option's value is called; null for an option without one
    unsigned takenBy;   // the CommandOptions bit of the commands that take it; 0: every command
    const char* usage;
    void (*apply)(Arguments& arguments, const std::wstring& value);
};

const Option kOptions[] = {
    {"--csv", nullptr, kTakesFormat, "listings as CSV (UTF-8)",
     [](Arguments& a, const std::wstring&) { a.format = Format::Csv; }},
    {"--json", nullptr, kTakesFormat, "listings as JSON (UTF-8): numbers as numbers, null for what is unknown",
     [](Arguments& a, const std::wstring&) { a.format = Format::Json; }},
    {"--no-header", nullptr, kTakesFormat, "listings as text or CSV without the line of headings",
     [](Arguments& a, const std::wstring&) { a.heading = false; }},
    {"--output", "FILE", kTakesOutput, "write into FILE, which must not exist unless --force is given",
     [](Arguments& a, const std::wstring& value) {
         a.hasOutput = true;
         a.output = value;
     }},
    {"--force", nullptr, kTakesOutput, "with --output: replace the file if it exists",
     [](Arguments& a, const std::wstring&) { a.force = true; }},
    {"--by-path", nullptr, kTakesMatch, "diff, fleet: match modules by their whole paths, not by their file names",
     [](Arguments& a, const std::wstring&) { a.byPath = true; }},
    {"--machines", nullptr, kTakesFleet, "fleet: a row per machine and module that differs from its group",
     [](Arguments& a, const std::wstring&) { a.machines = true; }},
    {"--rare", "N", kTakesFleet, "fleet: the modules that at most N machines of their group have",
     [](Arguments& a, const std::wstring& value) {
         a.hasRare = true;
         a.rare = value;
     }},
    {"--no-system", nullptr, kTakesSystem,
     "copy: leave out the modules in the Windows and system folders",
     [](Arguments& a, const std::wstring&) { a.noSystem = true; }},
    {"--timeout", "SECONDS", kTakesTimeout, "wait: give up after SECONDS whole seconds",
     [](Arguments& a, const std::wstring& value) {
         a.hasTimeout = true;
         a.timeout = value;
     }},
    {"--min", "LEVEL", kTakesSuspect, "suspect: the least severity listed: low, medium (the default) or high",
     [](Arguments& a, const std::wstring& value) {
         a.hasMinimum = true;
         a.minimum = value;
     }},
    {"--expected", "FILE", kTakesSuspect, "suspect: a list of where modules are expected to lie (see below)",
     [](Arguments& a, const std::wstring& value) {
         a.hasExpected = true;
         a.expected = value;
     }},
};

const Option* FindOption(const std::wstring& name)
{
    for (const Option& option : kOptions)
        if (name == ToWide(option.name))
            return &option;
    return nullptr;
}

bool IsHelp(const std::wstring& word)
{
    return word == L"--help" || word == L"-h" || word == L"/?" || word == L"-?";
}

}  // namespace

bool ParseArguments(const std::vector<std::wstring>& arguments, Arguments& parsed, std::wstring& error)
{
    parsed = Arguments();
    std::wstring name;
    bool named = false, optionsEnd = false;
    std::set<const Option*> given;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (!optionsEnd && IsHelp(argument)) {
            parsed.help = true;
        } else if (!optionsEnd && argument == L"--version") {
            parsed.version = true;
        } else if (!optionsEnd && argument == L"--") {
            optionsEnd = true;
        } else if (!optionsEnd && argument.compare(0, 2, L"--") == 0 && argument.size() > 2) {
            const Option* option = FindOption(argument);
            if (!option) {
                error = L"unknown option " + argument;
                return false;
            }
            if (!given.insert(option).second) {
                error = argument + L" is given twice";
                return false;
            }
            std::wstring value;
            if (option->value) {
                // A file called like an option is written .\--name.
                if (i + 1 >= arguments.size() || arguments[i + 1].compare(0, 2, L"--") == 0) {
                    error = argument + L" needs " + ToWide(option->value);
                    return false;
                }
                value = arguments[++i];
            }
            option->apply(parsed, value);
        } else if (!optionsEnd && !named && argument.size() > 1 && argument[0] == L'-') {
            error = L"unknown option " + argument;
            return false;
        } else if (named) {
            parsed.operands.push_back(argument);
        } else {
            name = argument;
            named = true;
        }
    }
    if (!named) {
        if (parsed.help || parsed.version)
            return true;
        error = L"no command given";
        return false;
    }
    if (name == L"help" && parsed.operands.empty()) {
        parsed.help = true;
        return true;
    }
    const Command* command = FindCommand(name);
    if (!command) {
        error = L"unknown command " + name;
        return false;
    }
    parsed.command = command;
    if (parsed.help || parsed.version)
        return true;
    size_t operands = OperandCount(*command);
    if (parsed.operands.size() < RequiredOperandCount(*command) || parsed.operands.size() > operands) {
        error = ToWide(command->name) + (parsed.operands.size() < operands ? L": missing " : L": too many ") +
                L"operands (" + ToWide(command->name) + (*command->operands ? L" " : L"") +
                ToWide(command->operands) + L")";
        return false;
    }
    for (const Option* option : given) {
        if (option->takenBy && !(command->options & option->takenBy)) {
            error = ToWide(command->name) + L" takes no " + ToWide(option->name);
            return false;
        }
    }
    if (parsed.force && !parsed.hasOutput) {
        error = L"--force goes with --output";
        return false;
    }
    if (given.count(FindOption(L"--csv")) && given.count(FindOption(L"--json"))) {
        error = L"--csv and --json exclude each other";
        return false;
    }
    return true;
}

std::string OptionsUsage()
{
    std::string text;
    for (const Option& option : kOptions) {
        std::string synopsis = std::string("  ") + option.name + (option.value ? std::string(" ") + option.value : "");
        synopsis.resize(std::max<size_t>(synopsis.size() + 2, 18), ' ');
        text += synopsis + option.usage + "\n";
    }
    return text;
}
