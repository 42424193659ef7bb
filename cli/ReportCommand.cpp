// report: the module report of a process, the very bytes that the dialog's save writes.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "export/FileReplace.h"
#include "paths/WidePath.h"

namespace {

// Whether --output may name `file`; the message when not. Asked before anything is read: the
// process table takes a while.
bool OutputAllowed(const Arguments& arguments, std::wstring& refusal)
{
    const std::wstring& file = arguments.output;
    if (!SystemHasWidePaths() && file.size() >= MAX_PATH) {
        refusal = L"the file name has 260 characters or more: " + file.substr(0, 40) + L"...";
        return false;
    }
    DWORD attributes = AttributesOf(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        refusal = L"\"" + file + L"\" is a folder; name a file in it";
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && !arguments.force) {
        refusal = L"\"" + file + L"\" exists; --force replaces it";
        return false;
    }
    return true;
}

}  // namespace

int RunReport(const Arguments& arguments, Session& session)
{
    std::wstring refusal;
    if (arguments.hasOutput && !OutputAllowed(arguments, refusal)) {
        session.Out().Error(refusal);
        return kExitRefused;
    }
    ProcessRecord process;
    std::string report;
    if (int status = session.Report(arguments.operands[0], process, report))
        return status;

    if (!arguments.hasOutput)
        return session.Out().Bytes(report) ? kExitDone : session.OutputRefused();
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
