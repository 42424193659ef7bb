// copy: the module files of a process into a folder as a kit, never overwriting a file, with a
// manifest beside them: the process's report and the list of what became of each file.
#include <set>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "export/FileReplace.h"
#include "export/ModuleKit.h"
#include "framework/Encoding.h"
#include "paths/Destinations.h"
#include "paths/DisplayName.h"
#include "paths/TextForms.h"
#include "paths/WidePath.h"

namespace {

// Why `folder` cannot be copied into, nor made; empty when it can.
std::wstring WhyUnusable(FolderUse use)
{
    switch (use) {
    case FolderUse::TooLong: return L"its path is too long";
    case FolderUse::File: return L"it is a file, not a folder";
    case FolderUse::Nowhere: return L"there is no such folder, nor the folder to make it in";
    case FolderUse::BadName: return L"its name ends in a blank or a dot, which the system drops";
    default: return std::wstring();
    }
}

const wchar_t* OutcomeName(KitOutcome outcome)
{
    switch (outcome) {
    case KitOutcome::Copied: return L"copied";
    case KitOutcome::AlreadyThere: return L"already there";
    case KitOutcome::SystemFile: return L"system file";
    case KitOutcome::Unreadable: return L"unreadable";
    default: return L"not copied";
    }
}

// Why a module was not copied; for a copied one, what the report cannot say of it.
std::wstring WhyOf(const KitEntry& entry, const ModuleEntry& module)
{
    switch (entry.outcome) {
    case KitOutcome::Copied:
        if (module.faithful)
            return std::wstring();
        return module.path.GetLength() >= MAX_PATH ? L"the report states no version: the path is too long for it"
                                                    : L"the report states no version: it names the file by a bent "
                                                      L"path, " + ToWide(module.path.GetString());
    case KitOutcome::AlreadyThere: return L"the same file is already in the folder";
    case KitOutcome::SystemFile: return L"lives in the Windows or a system folder (--no-system)";
    default: break;
    }
    if (entry.copy.status == CopyStatus::Different)
        return L"a different file of that name is already there";
    if (entry.copy.status == CopyStatus::TooLong)
        return L"the copy's path would have 260 characters or more";
    if (entry.copy.error == ERROR_INVALID_NAME && NamesDevice(module.file))
        return L"its name is a device's, which this system would open instead of the file";
    return Console::Reason(entry.copy.error);
}

// The summary: how many modules were copied and what became of the others.
std::wstring Summary(const std::vector<KitEntry>& entries, const std::vector<std::wstring>& reasons,
                     const std::wstring& process, const std::wstring& folder)
{
    size_t counts[5] = {};
    std::set<std::wstring> failures;
    for (size_t i = 0; i < entries.size(); ++i) {
        ++counts[static_cast<int>(entries[i].outcome)];
        if (entries[i].outcome == KitOutcome::NotCopied)
            failures.insert(reasons[i]);
    }
    auto count = [&](KitOutcome outcome) { return Decimal(static_cast<DWORD>(counts[static_cast<int>(outcome)])); };
    std::wstring text = L"copied " + (counts[0] == entries.size() ? L"all " : count(KitOutcome::Copied) + L" of the ") +
                        Decimal(static_cast<DWORD>(entries.size())) + L" modules of " + process + L" into \"" + folder +
                        L"\"";
    if (counts[static_cast<int>(KitOutcome::AlreadyThere)])
        text += L"; " + count(KitOutcome::AlreadyThere) + L" already there, left as they were";
    if (counts[static_cast<int>(KitOutcome::SystemFile)])
        text += L"; " + count(KitOutcome::SystemFile) + L" system files left out";
    if (counts[static_cast<int>(KitOutcome::Unreadable)])
        text += L"; " + count(KitOutcome::Unreadable) + L" unreadable";
    if (!failures.empty()) {
        text += L"; " + count(KitOutcome::NotCopied) + L" not copied:";
        for (const std::wstring& reason : failures)
            text += L" " + reason;
    }
    return text;
}

// Writes one file of the manifest; false after the message.
bool WriteManifest(Session& session, const std::wstring& path, const std::string& bytes)
{
    // Never replacing a file, it never puts one aside.
    WriteFailure failure;
    if (WriteNewFile(path, bytes, false, failure))
        return true;
    session.Out().Error(L"cannot write the kit's manifest \"" + path + L"\": " + Console::Reason(failure.error));
    return false;
}

// Makes `folder` ready for the kit: makes it where it is missing, tests it with a file of our
// own, and names the manifest. kExitDone, or the status to end with after the message.
int ReadyFolder(Session& session, const std::wstring& folder, bool missing, const std::vector<ModuleEntry>& modules,
                FolderProbe& probe, KitNames& names)
{
    if (missing) {
        if (!CreateFolderOf(folder)) {
            session.Out().Error(L"cannot make the folder \"" + folder + L"\": " + Console::Reason(::GetLastError()));
            return kExitRefused;
        }
        session.Out().Error(L"made the folder \"" + folder + L"\"");
    }
    probe = ProbeFolder(folder);
    if (!probe.writable) {
        session.Out().Error(L"cannot copy into \"" + folder + L"\": " + Console::Reason(probe.error));
        // A refusal leaves nothing behind: the folder made for the kit goes again.
        if (missing && RemoveFolderOf(folder))
            session.Out().Error(L"removed the folder \"" + folder + L"\" again");
        return kExitRefused;
    }
    // The kit itself is whole all the same, so the exit status leaves the stray out; the user
    // learns its name here, and it is listed nowhere as a file of the kit.
    if (!probe.stray.empty())
        session.Out().Error(L"cannot remove \"" + probe.stray + L"\", a file made to test the folder: " +
                            Console::Reason(probe.error) + L"; it is no part of the kit");
    if (ChooseKitNames(folder, modules, names))
        return kExitDone;
    session.Out().Error(L"cannot name the kit's manifest: \"" + folder + L"\" holds too many kits");
    return kExitRefused;
}

}  // namespace

int RunCopy(const Arguments& arguments, Session& session)
{
    const std::wstring& folder = arguments.operands[1];
    const FolderUse use = FolderUseOf(folder);
    if (use != FolderUse::Existing && use != FolderUse::Missing) {
        session.Out().Error(L"cannot copy into \"" + folder + L"\": " + WhyUnusable(use));
        return kExitRefused;
    }
    ProcessRecord process;
    std::string report;
    std::vector<ModuleEntry> modules;
    if (int status = session.Report(arguments.operands[0], process, report, &modules))
        return status;
    FolderProbe probe;
    KitNames names;
    if (int status = ReadyFolder(session, folder, use == FolderUse::Missing, modules, probe, names))
        return status;
    const std::wstring reportPath = PathInFolder(folder, names.report), listPath = PathInFolder(folder, names.list);
    const bool reported = WriteManifest(session, reportPath, report);
    bool failed = false;
    std::wstring copied;
    std::vector<KitEntry> entries;
    std::vector<std::wstring> reasons;
    std::vector<Row> rows;
    for (const ModuleEntry& module : modules) {
        const KitEntry entry = CopyIntoKit(module, folder, arguments.noSystem, probe.stray);
        const std::wstring name = DisplayNameOf(module.file), why = WhyOf(entry, module);
        entries.push_back(entry);
        reasons.push_back(why);
        rows.push_back({Cell{name, true}, Cell{OutcomeName(entry.outcome), true}, Cell{why, true}, Cell{module.file, true}});
        if (entry.outcome == KitOutcome::Copied) {
            copied += ShownText(PathInFolder(folder, name)) + L"\r\n";
        } else if (entry.outcome != KitOutcome::SystemFile) {
            failed = true;
            session.Out().Error(module.file + L": " + (entry.outcome == KitOutcome::Unreadable ? L"unreadable: " : L"") + why);
        }
    }
    const std::wstring list =
        RenderTable({{"file", false}, {"outcome", false}, {"reason", false}, {"path", false}}, rows, Format::Csv);
    const bool listed = WriteManifest(session, listPath, FromWide(list, CP_UTF8));
    session.Out().Error(Summary(entries, reasons, Describe(process), folder));
    // The files made, the manifest first: a script looks for it there. A line per file, whatever
    // its name holds.
    const std::wstring made =
        (reported ? ShownText(reportPath) + L"\r\n" : L"") + (listed ? ShownText(listPath) + L"\r\n" : L"") + copied;
    if (!made.empty() && !session.Out().Text(made))
        return session.OutputRefused();
    return reported && listed && !failed ? kExitDone : kExitPartly;
}
