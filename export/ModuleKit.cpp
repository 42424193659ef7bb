#include "export/ModuleKit.h"

#include <set>

#include "export/FileReplace.h"
#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

const wchar_t kKitStem[] = L"QuendrixKit";
const int kMostKits = 10000;

using PfnFolder = UINT(WINAPI*)(LPWSTR folder, UINT size);

std::wstring FolderFrom(PfnFolder folder)
{
    wchar_t text[MAX_PATH + 1] = L"";
    UINT length = folder ? folder(text, MAX_PATH + 1) : 0;
    return length > 0 && length <= MAX_PATH ? std::wstring(text, length) : std::wstring();
}

// A folder as the start of the lowered paths inside it.
std::wstring AsPrefix(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return LowerCase(folder);
}

// Where the system keeps its own files, lowered, each ending in a backslash.
struct SystemFolders {
    std::wstring windows;              // holds system files directly
    std::vector<std::wstring> trees;  // hold them in every folder below too

    SystemFolders()
    {
        std::wstring system;
        if (SystemHasWidePaths()) {
            // On a terminal server GetWindowsDirectory may name a private folder of the user's;
            // GetSystemWindowsDirectory (Windows 2000 on) names the shared one.
            PfnFolder shared = nullptr, windowsFolder = nullptr, systemFolder = nullptr, wow64 = nullptr;
            BindFromLoadedModule("kernel32.dll", EntryPoint{"GetSystemWindowsDirectoryW", shared});
            BindFromLoadedModule("kernel32.dll", EntryPoint{"GetWindowsDirectoryW", windowsFolder},
                                 EntryPoint{"GetSystemDirectoryW", systemFolder});
            BindFromLoadedModule("kernel32.dll", EntryPoint{"GetSystemWow64DirectoryW", wow64});
            windows = FolderFrom(shared ? shared : windowsFolder);
            system = FolderFrom(systemFolder);
            const std::wstring wow64Folder = FolderFrom(wow64);
            if (!wow64Folder.empty())
                trees.push_back(AsPrefix(wow64Folder));
        } else {
            char text[MAX_PATH + 1] = "";
            UINT length = ::GetWindowsDirectoryA(text, MAX_PATH + 1);
            windows = length > 0 && length <= MAX_PATH ? ToWide(std::string(text, length)) : std::wstring();
            length = ::GetSystemDirectoryA(text, MAX_PATH + 1);
            system = length > 0 && length <= MAX_PATH ? ToWide(std::string(text, length)) : std::wstring();
        }
        if (!system.empty())
            trees.push_back(AsPrefix(system));
        if (windows.empty())
            return;
        windows = AsPrefix(windows);
        for (const wchar_t* folder : {L"system32\\", L"syswow64\\", L"system\\", L"winsxs\\"})
            trees.push_back(windows + folder);
    }
};

bool Readable(const std::wstring& path, DWORD& error)
{
    KernelHandle file(CreateFileOf(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
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
            free = free && !taken.count(LowerCase(*name)) &&
                   AttributesOf(PathInFolder(folder, *name)) == INVALID_FILE_ATTRIBUTES;
        if (free)
            return true;
    }
    return false;
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
    case CopyStatus::TooLong: return {KitOutcome::NotCopied, copy};
    default: break;
    }
    // The copy's error does not say which of the two files was refused.
    DWORD error = 0;
    if (!Readable(module.file, error))
        return {KitOutcome::Unreadable, {CopyStatus::Failed, error}};
    return {KitOutcome::NotCopied, copy};
}

bool InSystemFolder(const std::wstring& path)
{
    static const SystemFolders folders;
    std::wstring lowered = LowerCase(path);
    for (const std::wstring& tree : folders.trees)
        if (lowered.compare(0, tree.size(), tree) == 0)
            return true;
    return !folders.windows.empty() && FolderLength(lowered) == folders.windows.size() &&
           lowered.compare(0, folders.windows.size(), folders.windows) == 0;
}
