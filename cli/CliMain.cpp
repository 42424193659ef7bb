// The console program's entry point: lists, reports, copies and finds modules from a script.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "export/VersionApi.h"
#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"

namespace {

// Whether every character of the command line survives the ANSI code page, which the program's
// file functions use: one that does not would arrive as another character, and name another
// file. The Windows 95 family has no wide command line; there the question does not arise.
bool CommandLineFitsCodePage()
{
    using PfnGetCommandLineW = LPWSTR(WINAPI*)();
    PfnGetCommandLineW pfnGetCommandLineW = nullptr;
    BindEntryPoint(::GetModuleHandleA("kernel32.dll"), "GetCommandLineW", pfnGetCommandLineW);
    const wchar_t* wide = pfnGetCommandLineW ? pfnGetCommandLineW() : nullptr;
    if (!wide || !*wide)
        return true;
    return ToWide(FromWide(wide)) == wide;
}

int Run(int argc, char** argv, Console& console)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    Arguments arguments;
    std::string error;
    if (!ParseArguments(words, arguments, error)) {
        console.Error(error);
        console.ErrorText(WithCrLf(std::string("\n") + kUsage));
        return kExitRefused;
    }
    if (arguments.help)
        return console.Text(WithCrLf(kUsage)) ? kExitDone : kExitRefused;
    if (!CommandLineFitsCodePage()) {
        console.Error("an argument holds characters that this system's ANSI code page (" +
                      std::to_string(::GetACP()) + ") cannot represent");
        return kExitRefused;
    }
    return RunCommand(arguments, console);
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
    return kExitPartly;
}
