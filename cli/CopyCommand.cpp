// copy: the module files of a process into a folder, never overwriting a file.
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Session.h"
#include "enum/DisplayName.h"
#include "export/FileReplace.h"
#include "export/ModuleCopy.h"
#include "framework/Encoding.h"

namespace {

// Whether files can be created in `folder`; the reason when not.
bool CanWriteInto(const std::string& folder, std::string& reason)
{
    if (folder.size() >= MAX_PATH - 14) {
        reason = "its path is too long";
        return false;
    }
    DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = attributes == INVALID_FILE_ATTRIBUTES ? "there is no such folder" : "it is a file, not a folder";
        return false;
    }
    // A file of our own, created and removed again, is the one sure test.
    std::string probe;
    KernelHandle handle = CreateUniqueFile(folder, probe);
    if (!handle) {
        reason = Console::Reason(::GetLastError());
        return false;
    }
    handle.Close();
    ::DeleteFileA(probe.c_str());
    return true;
}

}  // namespace

int RunCopy(const Arguments& arguments, Session& session)
{
    const std::string& folder = arguments.operands[1];
    std::string reason;
    if (!CanWriteInto(folder, reason)) {
        session.Out().Error("cannot copy into " + Quoted(folder) + ": " + reason);
        return kExitRefused;
    }
    ProcessInfo process;
    std::vector<CString> paths;
    if (int status = session.DialogModules(arguments.operands[0], process, paths))
        return status;

    std::string lines;
    int failures = 0;
    for (const CString& path : paths) {
        CopyOutcome outcome = CopyModuleFile(path, folder.c_str());
        if (outcome.status == CopyStatus::Copied)
            continue;
        ++failures;
        lines += std::string(path) + ": " +
                 (outcome.status == CopyStatus::AlreadyThere ? "a file of that name is already in the folder"
                  : outcome.status == CopyStatus::TooLong    ? "the copy's path would have 260 characters or more"
                                                             : Console::Reason(outcome.error)) +
                 "\n";
    }
    lines += std::string(CopyResultMessage(failures, DisplayNameOf(process.path), folder.c_str())) + "\n";
    if (!session.Out().Text(WithCrLf(lines)))
        return session.OutputRefused();
    return failures ? kExitPartly : kExitDone;
}
