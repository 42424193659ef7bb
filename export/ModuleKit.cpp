#include "export/ModuleKit.h"

#include <set>

#include "export/FileReplace.h"
#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "paths/DisplayName.h"
#include "paths/SystemFolders.h"
#include "paths/WidePath.h"

namespace {

const wchar_t kKitStem[] = L"QuendrixKit";
const int kMostKits = 10000;

bool Readable(const std::wstring& path, DWORD& error)
{
    std::wstring exact;
    KernelHandle file(ExactPathOf(path, exact)
                          ? CreateFileOf(exact, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)
                          : INVALID_HANDLE_VALUE);
    error = file ? 0 : ::GetLastError();
    return static_cast<bool>(file);
}

}  // namespace

FolderProbe ProbeFolder(const std::wstring& folder, FileRemover remove)
{
    std::wstring probe;
    KernelHandle handle = CreateUniqueFile(folder, probe);
    if (!handle)
        return {false, ::GetLastError(), std::wstring()};
    handle.Close();
    if (!remove(probe))
        return {true, ::GetLastError(), probe};
    return {true, 0, std::wstring()};
}

bool ChooseKitNames(const std::wstring& folder, const std::vector<ModuleEntry>& modules, KitNames& names)
{
    std::set<std::wstring> taken;
    for (const ModuleEntry& module : modules)
        taken.insert(LowerCase(DisplayNameOf(module.file)));
    for (int kit = 1; kit <= kMostKits; ++kit) {
        std::wstring stem = kKitStem + (kit == 1 ? std::wstring() : L"-" + ToWide(std::to_string(kit)));
        names = {stem + L".report.txt", stem + L".copied.csv"};
        bool free = true;
        for (const std::wstring* name : {&names.report, &names.list})
            free = free && !taken.count(LowerCase(*name)) && NameIsFree(PathInFolder(folder, *name));
        if (free)
            return true;
    }
    return false;
}

std::wstring FirstKitReportName()
{
    return kKitStem + std::wstring(L".report.txt");
}

KitEntry CopyIntoKit(const ModuleEntry& module, const std::wstring& folder, bool leaveOutSystem,
                     const std::wstring& stray)
{
    if (leaveOutSystem && InSystemFolder(module.file))
        return {KitOutcome::SystemFile, {CopyStatus::Failed, 0}};
    // Found there, it would pass for the module's copy from an earlier kit.
    if (!stray.empty() && LowerCase(DisplayNameOf(module.file)) == LowerCase(DisplayNameOf(stray)))
        return {KitOutcome::NotCopied, {CopyStatus::Failed, ERROR_FILE_EXISTS}};
    CopyOutcome copy = CopyModuleFile(module.file, folder);
    switch (copy.status) {
    case CopyStatus::Copied: return {KitOutcome::Copied, copy};
    case CopyStatus::AlreadyThere: return {KitOutcome::AlreadyThere, copy};
    case CopyStatus::Different:
    case CopyStatus::TooLong: return {KitOutcome::NotCopied, copy};
    default: break;
    }
    // The copy's error does not say which of the two files was refused.
    DWORD error = 0;
    if (!Readable(module.file, error))
        return {KitOutcome::Unreadable, {CopyStatus::Failed, error}};
    return {KitOutcome::NotCopied, copy};
}
