// report: the module report of a process, the very bytes that the dialog's save writes.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "export/FileReplace.h"
#include "paths/Destinations.h"

namespace {

// Why --output may not name `file`; empty when it may.
std::wstring Refusal(const Arguments& arguments)
{
    const std::wstring& file = arguments.output;
    switch (FileUseOf(file)) {
    case FileUse::TooLong: return L"the file name has 260 characters or more: " + file.substr(0, 40) + L"...";
    case FileUse::Folder: return L"\"" + file + L"\" is a folder; name a file in it";
    case FileUse::Existing: return arguments.force ? std::wstring() : L"\"" + file + L"\" exists; --force replaces it";
    default: return std::wstring();
    }
}

}  // namespace

int RunReport(const Arguments& arguments, Session& session)
{
    // Asked before anything is read: the process table takes a while.
    const std::wstring refusal = arguments.hasOutput ? Refusal(arguments) : std::wstring();
    if (!refusal.empty()) {
        session.Out().Error(refusal);
        return kExitRefused;
    }
    ProcessRecord process;
    std::string report;
    if (int status = session.Report(arguments.operands[0], process, report))
        return status;

    if (!arguments.hasOutput)
        return session.Out().Bytes(report, CP_ACP) ? kExitDone : session.OutputRefused();
    WriteFailure failure;
    if (!WriteNewFile(arguments.output, report, arguments.force, failure)) {
        std::wstring message = L"cannot write \"" + arguments.output + L"\": " + Console::Reason(failure.error);
        if (!failure.aside.empty())
            message += L"; the file it was to replace could not be put back and is now \"" + failure.aside + L"\"";
        session.Out().Error(message);
        return kExitRefused;
    }
    return kExitDone;
}
