// report: the module report of a process, the very bytes that the dialog's save writes.
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Session.h"
#include "enum/DisplayName.h"
#include "export/FileReplace.h"
#include "export/ModuleReport.h"
#include "framework/Encoding.h"

int RunReport(const Arguments& arguments, Session& session)
{
    if (arguments.hasOutput) {
        // Refused before anything is read: the process table takes a while.
        if (arguments.output.size() >= MAX_PATH) {
            session.Out().Error("the file name has 260 characters or more: " + arguments.output.substr(0, 40) + "...");
            return kExitRefused;
        }
        if (!arguments.force && ::GetFileAttributesA(arguments.output.c_str()) != INVALID_FILE_ATTRIBUTES) {
            session.Out().Error(Quoted(arguments.output) + " exists; --force replaces it");
            return kExitRefused;
        }
    }
    ProcessInfo process;
    std::vector<CString> paths;
    if (int status = session.DialogModules(arguments.operands[0], process, paths))
        return status;
    std::string report = ReportHeader(DisplayNameOf(process.path)).GetString();
    for (const CString& path : paths)
        report += ComposeModuleLine(path).GetString();
    report = WithCrLf(report);

    if (!arguments.hasOutput)
        return session.Out().Bytes(report) ? kExitDone : session.OutputRefused();
    DWORD error = 0;
    if (!WriteNewFile(arguments.output, report, arguments.force, error)) {
        session.Out().Error("cannot write " + Quoted(arguments.output) + ": " + Console::Reason(error));
        return kExitRefused;
    }
    return kExitDone;
}
