// copy: the module files of a process into a folder, never overwriting a file.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "enum/DisplayName.h"
#include "export/FileReplace.h"
#include "export/ModuleCopy.h"
#include "framework/Encoding.h"
#include "framework/WidePath.h"

namespace {

// Whether files can be created in `folder`; the reason when not.
bool CanWriteInto(const std::wstring& folder, std::wstring& reason)
{
    if (!SystemHasWidePaths() && folder.size() >= MAX_PATH - 14) {
        reason = L"its path is too long";
        return false;
    }
    DWORD attributes = AttributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = attributes == INVALID_FILE_ATTRIBUTES ? L"there is no such folder" : L"it is a file, not a folder";
        return false;
    }
    // A file of our own, created and removed again, is the one sure test.
    std::wstring probe;
    KernelHandle handle = CreateUniqueFile(folder, probe);
    if (!handle) {
        reason = Console::Reason(::GetLastError());
        return false;
    }
    handle.Close();
    DeleteFileOf(probe);
    return true;
}

}  // namespace

int RunCopy(const Arguments& arguments, Session& session)
{
    const std::wstring& folder = arguments.operands[1];
    std::wstring reason;
    if (!CanWriteInto(folder, reason)) {
        session.Out().Error(L"cannot copy into \"" + folder + L"\": " + reason);
        return kExitRefused;
    }
    ProcessRecord process;
    std::vector<ModuleEntry> modules;
    if (int status = session.DialogModules(arguments.operands[0], process, modules))
        return status;

    std::wstring lines;
    int failures = 0;
    for (const ModuleEntry& module : modules) {
        // The whole path names the very file, also where the ANSI one would name another.
        CopyOutcome outcome = CopyModuleFile(module.file, folder);
        if (outcome.status == CopyStatus::Copied)
            continue;
        ++failures;
        lines += module.file + L": " +
                 (outcome.status == CopyStatus::AlreadyThere ? L"a file of that name is already in the folder"
                  : outcome.status == CopyStatus::TooLong    ? L"the copy's path would have 260 characters or more"
                                                             : Console::Reason(outcome.error)) +
                 L"\r\n";
    }
    CString processName = DisplayNameOf(ListedProcessPath(session.Version(), process));
    lines += ToWide(WithCrLf(CopyResultMessage(failures, processName, FromWide(folder).c_str()).GetString())) + L"\r\n";
    if (!session.Out().Text(lines))
        return session.OutputRefused();
    return failures ? kExitPartly : kExitDone;
}
