// The console program's entry point: lists, reports, copies and finds modules from a script.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Session.h"
#include "controls/HiddenListOrder.h"
#include "enum/ModuleName.h"
#include "export/FileVersion.h"
#include "export/VersionApi.h"
#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "paths/WidePath.h"

namespace {

// The program's name, version and bitness, from its own version resource.
std::wstring VersionLine()
{
    FileVersion version = ReadFileVersion(ModuleFileOf(nullptr));
    return L"QuendrixCli " + (version.number.empty() ? L"(version unknown)" : version.number) + L", " +
           ToWide(std::to_string(OwnBits())) + L"-bit\r\n";
}

int Run(int argc, char** argv, Console& console)
{
    Arguments arguments;
    std::wstring error;
    if (!ParseArguments(CommandLineWords(argc, argv), arguments, error)) {
        console.Error(error + L"; try --help");
        return kExitRefused;
    }
    if (arguments.help)
        return console.Text(ToWide(WithCrLf(UsageText()))) ? kExitDone : kExitRefused;
    if (arguments.version)
        return console.Text(VersionLine()) ? kExitDone : kExitRefused;
    // The back end, bound once; the dialog's lists are ordered by a list box that needs no window.
    const HiddenListOrder order;
    const Backend backend(order);
    Session session(console, backend);
    return arguments.command->run(arguments, session);
}

}  // namespace

int main(int argc, char** argv)
{
    RestrictLibrarySearch();
    // Before anything else can load version.dll by name, and find one left beside the program.
    BindVersionFunctions();
    // A drive without a disk answers with a failure, not with a window of the system's.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    Console console;
    // Nothing may leave the program as an exception: it ends with a message instead.
    try {
        return Run(argc, argv, console);
    } catch (const std::bad_alloc&) {
        console.Error("out of memory");
    } catch (...) {
        console.Error("an unexpected error occurred");
    }
    // Not 1: for find, diff, stale and wait that is an answer ("none", "they differ" ...).
    return kExitRefused;
}
