#include "cli/Commands.h"

#include "cli/Arguments.h"
#include "framework/Encoding.h"
#include "paths/WidePath.h"

namespace {

const Command kCommands[] = {
    {"processes", "", kTakesFormat, "every running process: id, file name, bitness, full path", RunProcesses},
    {"modules", "PROCESS", kTakesFormat,
     "every module of a process: full path, file version, product version,\n"
     "description, and where the version came from (resource or header)",
     RunModules},
    {"report", "PROCESS", kTakesOutput,
     "the module report of a process: the very bytes that the dialog's\n"
     "\"Modulliste speichern\" writes; a module is one line, whatever its\n"
     "texts hold",
     RunReport},
    {"copy", "PROCESS FOLDER", kTakesSystem,
     "copies the module files of a process into FOLDER as a kit, never\n"
     "overwriting a file; as the dialog, it leaves out the program's own file.\n"
     "Each copy is written under a name of its own and takes the module's name\n"
     "only when whole. A file of that name already in FOLDER is \"already\n"
     "there\" when it has the module's size and bytes; else the module is not\n"
     "copied: \"a different file of that name is already there\".\n"
     "A missing FOLDER is made, never a folder above it, nor one whose name\n"
     "ends in a blank or a dot. Beside the files\n"
     "goes a manifest: QuendrixKit.report.txt, the process's report as\n"
     "\"report\" writes it, and QuendrixKit.copied.csv (UTF-8), a row for each\n"
     "module: copied, already there, system file, unreadable or not copied,\n"
     "and why. A name that a module or an earlier kit has taken gets a\n"
     "number (QuendrixKit-2.report.txt). It lists the files it made.",
     RunCopy},
    {"find", "MODULE", kTakesFormat, "every process that has MODULE loaded", RunFind},
    {"diff", "A B", kTakesFormat | kTakesMatch,
     "the modules that differ between two module lists, A and B, each a\n"
     "report file (as \"report\" or the dialog writes it, a kit's manifest)\n"
     "or a PROCESS; a file that exists and is no program is read as a report.\n"
     "Reports are read as bytes: paths and texts compare byte for byte, A-Z\n"
     "in paths as a-z. Modules match by file name (--by-path: whole path); a\n"
     "name listed twice matches equal paths first. A row says: only in A,\n"
     "only in B, version, description, version and description, or text;\n"
     "its direction is up or down where both versions are numbers (same:\n"
     "equal numbers written otherwise).\n"
     "A line's \"(Vversion, description)\" splits at the first \", \"; but a\n"
     "version that begins with a bare number keeps the bare numbers that\n"
     "follow, up to four in all (\"5, 1, 2600, 2180\"). Where a fifth number\n"
     "follows, or a part that begins with a digit and is more than a number,\n"
     "the line cannot be split for sure and is compared whole: change\n"
     "\"text\", with all of it as its version.",
     RunDiff},
    {"fleet", "INPUT...", kTakesFormat | kTakesMatch | kTakesFleet,
     "compares the module reports of many machines and names the odd ones\n"
     "out. An INPUT is a report file (read whatever its name) or a folder,\n"
     "read for every *.txt file in it and in its subfolders (a folder\n"
     "reached again through a link is not read again); a file that is no\n"
     "report is named with its line and left out. A report stands for the\n"
     "machine of its path below the folder given (\"eu\\pc1.txt\"), or of its\n"
     "file name when given itself; a kit's QuendrixKit.report.txt for its\n"
     "kit's folder. Machines named alike are named by their whole paths; a\n"
     "file reached twice counts once.\n"
     "Reports are grouped by the process that their header names (in any\n"
     "case). In a group, modules match as in diff (--by-path too), and a\n"
     "machine's version of a module is its line's version as diff reads it,\n"
     "equal numbers written otherwise alike (\"5, 1\" is 5.1); a module\n"
     "listed twice has the set of its versions (\"5.82|6.0\"). A module that\n"
     "at least half the machines have is expected: a machine that lacks it\n"
     "is \"missing\"; one that more than half lack is \"extra\" where it is.\n"
     "The version of the most is that of the most machines; on a tie the\n"
     "highest (numbers as numbers, above other texts, which rank by their\n"
     "bytes); another is \"other\".\n"
     "A row per version of each module, the version of the most first, and\n"
     "one for the machines that lack it: the group's machines, those that\n"
     "have the module, those of the row, and the row's machines by name,\n"
     "\"|\" between, where they differ. --machines: a row per machine and\n"
     "module that differs. --rare N: a row per machine and path of each\n"
     "module that at most N machines of its group have, the rarest first.",
     RunFleet},
    {"stale", "[PROCESS]", kTakesFormat,
     "the modules of a process (of every process without PROCESS) whose file\n"
     "is no longer the image that the process runs: changed (the header's time\n"
     "stamp, image size or checksum differs), vanished, or unreadable",
     RunStale},
    {"wait", "MODULE", kTakesTimeout,
     "waits until no other process holds MODULE, looking every half second;\n"
     "names the holders on standard error, and again when they change",
     RunWait},
    {"suspect", "[PROCESS]", kTakesFormat | kTakesSuspect,
     "the modules of a process (of every process without PROCESS) that were\n"
     "loaded from where they should not have been: a row per finding, with\n"
     "its severity and its reason, high first, then by process id and path.\n"
     "known-dll (high): a known DLL (the registry's KnownDLLs) that is not the\n"
     "  one in the process's system folder, from which alone the loader maps\n"
     "  it: another copy means that the loader was bypassed.\n"
     "shadows-system-dll (medium): a file of its name is in the process's\n"
     "  system folder (SysWOW64 for a 32-bit process on a 64-bit system), but\n"
     "  it was loaded from another folder. The system's own folders, the\n"
     "  side-by-side store among them, never count; nor does the program's\n"
     "  own file.\n"
     "side-load (high): such a module beside its program, whose folder lies\n"
     "  outside the Windows folder and the program folders.\n"
     "drop-folder (medium): it lies where anyone can drop a file: the user's\n"
     "  or the system's temporary folder, the user's Downloads, the public\n"
     "  profile, a drive's recycle bin.\n"
     "renamed (low): its version resource names another original file (case\n"
     "  and a .mui ending aside).\n"
     "not-expected (high): the list of --expected names it, and none of its\n"
     "  locations is the module's folder.\n"
     "A finding is a reason to look, not a verdict: programs ship copies of\n"
     "system DLLs, installers run from temporary folders. A module that is\n"
     "not listed is not thereby safe: no signature or content is checked.",
     RunSuspect},
};

const char kUsageTail[] =
    "  --help, -h, /?  this text\n"
    "  --version       the program's version\n"
    "\n"
    "PROCESS is a process id; or a program's file name, with or without \".exe\", in any case,\n"
    "with * and ? for any characters and one character; or its path, which tells two processes\n"
    "of one name apart, in the forms that MODULE takes, \".exe\" left out too.\n"
    "A name that fits several processes is refused with their ids.\n"
    "MODULE is a file name or a path, in any case, with * and ?; a path without them may be\n"
    "relative; \"/\" stands for \"\\\"; a name without an extension matches any extension; a\n"
    "path may be given with its short 8.3 names or the \"\\\\?\\\" prefix.\n"
    "\n"
    "Results go to standard output, messages to standard error. Text goes to a console in its\n"
    "own characters and to a file or pipe in the ANSI code page; CSV and JSON are UTF-8, every\n"
    "path whole.\n"
    "Texts come from files that anyone may have written, and never act as commands: a control\n"
    "character (CR, LF, TAB, ESC, DEL, U+0080-U+009F), a direction control (U+061C, U+200E,\n"
    "U+200F, U+202A-U+202E, U+2066-U+2069), U+2028, U+2029 and a lone surrogate are shown as\n"
    "<U+XXXX> (their code) in reports, in text, on a console and in messages; in text to a file\n"
    "or pipe, so is a character that the ANSI code page lacks, never printed as another one.\n"
    "A CSV cell that begins with =, +, -, @, TAB or CR gets a leading ' for spreadsheets (a\n"
    "lone surrogate is shown there too); JSON is exact.\n"
    "\n"
    "Exit status: 0 done; 1 partly done (a file not copied, a process that could not be read);\n"
    "2 a usage error, an unknown or ambiguous process, an output that cannot be written, or the\n"
    "program failing itself (out of memory).\n"
    "find: 0 a process has MODULE loaded; 1 no process has it, and every process was read;\n"
    "3 no process that could be read has it, but some could not be read (they are named), or\n"
    "the process table itself could not be read.\n"
    "diff: 0 the lists agree; 1 they differ; 2 a usage error, a file that is not a report (its\n"
    "line is named) or cannot be read, or a process that cannot be read.\n"
    "fleet: 0 every machine agrees with its group; 1 some differ; 2 a usage error, or no report\n"
    "could be read; 3 some inputs could not be read (they are named), and the rest agree.\n"
    "stale: 0 no module is stale; 1 some are (listed); 3 none of those compared is, but some\n"
    "processes or modules could not be read or compared (they are named).\n"
    "wait: 0 no process holds MODULE (any more); 1 the time ran out (the holders are named);\n"
    "3 no process that could be read holds it, but some could not be read (they are named).\n"
    "suspect: 0 no finding at or above --min; 1 some (listed); 3 none among the processes that\n"
    "could be read, but some could not be (they are named); 2 also for a list of --expected\n"
    "that cannot be read (its line is named).\n"
    "\n"
    "suspect --expected FILE reads a list (UTF-8 CSV) of rows \"name,location\": a module's file\n"
    "name and a folder where it belongs, in double quotes where it holds a comma (\"\" for a\n"
    "quote); a first row whose first field is \"name\" is a heading; fields after the second\n"
    "are ignored. A location may begin with %SYSTEM32%, %SYSWOW64%, %WINDIR%, %PROGRAMFILES%,\n"
    "%PROGRAMFILES(X86)%, %PROGRAMDATA%, %APPDATA% or %LOCALAPPDATA%, this system's folders;\n"
    "%VERSION% stands for any one folder's name or part of one (Office%VERSION%). A module\n"
    "that the list names more than once belongs in any of its locations. --min low reads every\n"
    "module's version resource, the other levels only those of the modules listed.\n"
    "\n"
    "stale reads each module's headers from the process's memory at the module's base address;\n"
    "on the Windows 95 family at the base address that tool-help gives, which works alike.\n"
    "QuendrixCli (32-bit) cannot read 64-bit processes; QuendrixCli64 reads both kinds.\n";

// Where the descriptions of the usage begin.
const size_t kUsageColumn = 31;

// The words of a command's operands, with or without those in brackets, which may be left out;
// any number from the last one on where it ends in "...".
size_t CountOperands(const Command& command, bool optionalToo)
{
    const std::string operands = command.operands;
    if (optionalToo && operands.size() > 3 && operands.compare(operands.size() - 3, 3, "...") == 0)
        return static_cast<size_t>(-1);
    size_t count = 0;
    for (const char* p = command.operands; *p; ++p)
        if ((p == command.operands || (p[-1] == ' ' && *p != ' ')) && (optionalToo || *p != '['))
            ++count;
    return count;
}

}  // namespace

const Command* FindCommand(const std::wstring& name)
{
    const std::wstring lowered = LowerCase(name);
    for (const Command& command : kCommands)
        if (lowered == ToWide(command.name))
            return &command;
    return nullptr;
}

size_t OperandCount(const Command& command)
{
    return CountOperands(command, true);
}

size_t RequiredOperandCount(const Command& command)
{
    return CountOperands(command, false);
}

std::string UsageText()
{
    std::string text = "Usage: QuendrixCli COMMAND [OPERANDS] [OPTIONS]\n\nCommands:\n";
    const std::string indent(kUsageColumn, ' ');
    for (const Command& command : kCommands) {
        std::string synopsis = std::string("  ") + command.name;
        if (*command.operands)
            synopsis += std::string(" ") + command.operands;
        if (command.options & kTakesOutput)
            synopsis += " [--output FILE [--force]]";
        if (command.options & kTakesTimeout)
            synopsis += " [--timeout SECONDS]";
        if (command.options & kTakesFleet)
            synopsis += " [--machines | --rare N]";
        if (command.options & kTakesSuspect)
            synopsis += " [--min LEVEL] [--expected FILE]";
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
    return text + "\nOptions:\n" + OptionsUsage() + kUsageTail;
}
