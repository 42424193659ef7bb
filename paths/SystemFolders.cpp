#include "paths/SystemFolders.h"

#include <windows.h>

#include <vector>

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

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

}  // namespace

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
