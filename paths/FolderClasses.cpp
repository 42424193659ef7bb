#include "paths/FolderClasses.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/Encoding.h"
#include "framework/Registry.h"
#include "framework/SystemLibrary.h"
#include "framework/WideFunctions.h"

namespace {

// The known folders that only the known-folder function names (Windows Vista on).
const GUID kDownloads = {0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
const GUID kPublic = {0xdfdf76a2, 0xc82a, 0x4d63, {0x90, 0x6a, 0x56, 0x44, 0xac, 0x45, 0x73, 0x85}};

// The shell's folder functions, bound from the system directory where the system has them:
// SHGetFolderPathW from Windows 2000 on, SHGetKnownFolderPath from Windows Vista on.
struct ShellFolders {
    using PfnFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    using PfnKnownFolderPath = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, LPWSTR*);
    using PfnFree = void(WINAPI*)(void*);
    PfnFolderPath folderPath = nullptr;
    PfnKnownFolderPath knownFolderPath = nullptr;
    PfnFree free = nullptr;

    ShellFolders()
    {
        if (!SystemHasWidePaths())
            return;
        BindFromSystemLibrary("shell32.dll", EntryPoint{"SHGetFolderPathW", folderPath});
        if (BindFromSystemLibrary("shell32.dll", EntryPoint{"SHGetKnownFolderPath", knownFolderPath}) &&
            !BindFromSystemLibrary("ole32.dll", EntryPoint{"CoTaskMemFree", free}))
            knownFolderPath = nullptr;
    }

    // The folder of CSIDL `id`; empty where the system names none.
    std::wstring Folder(int id) const
    {
        wchar_t path[MAX_PATH] = L"";
        return folderPath && SUCCEEDED(folderPath(nullptr, id, nullptr, 0, path)) ? std::wstring(path) : std::wstring();
    }
    // The known folder `id`; empty where the system names none.
    std::wstring Known(const GUID& id) const
    {
        LPWSTR path = nullptr;
        std::wstring folder;
        if (knownFolderPath && SUCCEEDED(knownFolderPath(id, 0, nullptr, &path)) && path)
            folder = path;
        if (path)
            free(path);
        return folder;
    }
};

// The user's temporary folder: the wide function on the NT family, the ANSI one elsewhere.
std::wstring TemporaryFolder()
{
    using PfnTempPathW = DWORD(WINAPI*)(DWORD, LPWSTR);
    PfnTempPathW tempPath = nullptr;
    if (SystemHasWidePaths() && BindFromLoadedModule("kernel32.dll", EntryPoint{"GetTempPathW", tempPath})) {
        wchar_t path[MAX_PATH + 1] = L"";
        const DWORD length = tempPath(MAX_PATH + 1, path);
        return length > 0 && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
    }
    char path[MAX_PATH + 1] = "";
    const DWORD length = ::GetTempPathA(MAX_PATH + 1, path);
    return length > 0 && length <= MAX_PATH ? ToWide(std::string(path, length)) : std::wstring();
}

// A text of the registry as a folder; empty where there is none.
std::wstring RegistryFolder(HKEY root, const char* key, const char* value, REGSAM view = 0)
{
    std::string text;
    return RegistryKey(root, key, view).Text(value, text) ? ToWide(text) : std::wstring();
}

}  // namespace

FolderClasses ReadFolderClasses(const SystemFolders& system)
{
    FolderClasses classes;
    // The registry names the program folders on every system since Windows 95; on a 64-bit one
    // its 64-bit view names both, also to a 32-bit program, which the shell would name the
    // 32-bit one only.
    const bool system64 = !system.wow64.empty();
    const char* const current = "Software\\Microsoft\\Windows\\CurrentVersion";
    const REGSAM view = system64 ? KEY_WOW64_64KEY : 0;
    classes.programFiles = FolderKey(RegistryFolder(HKEY_LOCAL_MACHINE, current, "ProgramFilesDir", view));
    if (system64)
        classes.programFilesX86 = FolderKey(RegistryFolder(HKEY_LOCAL_MACHINE, current, "ProgramFilesDir (x86)", view));

    const ShellFolders shell;
    classes.programData = FolderKey(shell.Folder(CSIDL_COMMON_APPDATA));
    classes.appData = FolderKey(shell.Folder(CSIDL_APPDATA));
    classes.localAppData = FolderKey(shell.Folder(CSIDL_LOCAL_APPDATA));

    classes.userTemp = FolderKey(TemporaryFolder());
    // The machine's own TEMP, which services and the system's programs use; the Windows folder's
    // Temp where the system sets none (the Windows 95 family).
    const char* const environment = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    std::wstring systemTemp = RegistryFolder(HKEY_LOCAL_MACHINE, environment, "TEMP");
    if (systemTemp.empty() && !system.windows.empty())
        systemTemp = system.windows + L"temp";
    classes.systemTemp = FolderKey(systemTemp);
    // Before Windows Vista the system has no Downloads: a folder of that name in the user's
    // profile is what browsers made instead. The shared documents stand for the public profile.
    classes.downloads = FolderKey(shell.Known(kDownloads));
    const std::wstring profile = shell.Folder(CSIDL_PROFILE);
    if (classes.downloads.empty() && !profile.empty())
        classes.downloads = FolderKey(profile + L"\\Downloads");
    classes.publicFolder = FolderKey(shell.Known(kPublic));
    if (classes.publicFolder.empty())
        classes.publicFolder = FolderKey(shell.Folder(CSIDL_COMMON_DOCUMENTS));
    return classes;
}

DropFolder DropFolderOf(const std::wstring& lowered, const FolderClasses& classes)
{
    const struct {
        const std::wstring& folder;
        DropFolder drop;
    } folders[] = {{classes.userTemp, DropFolder::UserTemp},
                   {classes.systemTemp, DropFolder::SystemTemp},
                   {classes.downloads, DropFolder::Downloads},
                   {classes.publicFolder, DropFolder::Public}};
    for (const auto& folder : folders)
        if (IsUnder(lowered, folder.folder))
            return folder.drop;
    if (lowered.size() > 3 && lowered[1] == L':' && lowered[2] == L'\\') {
        const std::wstring root = lowered.substr(0, 3);
        for (const wchar_t* bin : {L"$recycle.bin\\", L"recycler\\", L"recycled\\"})
            if (IsUnder(lowered, root + bin))
                return DropFolder::RecycleBin;
    }
    return DropFolder::None;
}

bool InProgramFolder(const std::wstring& lowered, const FolderClasses& classes)
{
    return IsUnder(lowered, classes.programFiles) || IsUnder(lowered, classes.programFilesX86);
}
