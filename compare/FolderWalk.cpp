#include "compare/FolderWalk.h"

#include <algorithm>
#include <set>

#include "paths/FolderList.h"
#include "paths/WidePath.h"

namespace {

struct Pending {
    std::wstring path, relative;
    bool link;  // reached through a link or a junction
};

std::wstring Joined(const std::wstring& folder, const std::wstring& name)
{
    const bool ended = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (ended ? L"" : L"\\") + name;
}

// Whether `folder` is one not walked yet, remembering it.
bool FirstVisit(const Pending& folder, std::set<FolderIdentity>& visited)
{
    FolderIdentity identity;
    if (!FolderIdentityOf(folder.path, identity))
        return !folder.link;
    return visited.insert(identity).second;
}

}  // namespace

void WalkFolder(const std::wstring& root, bool (*wanted)(const std::wstring& name), std::vector<WalkedFile>& files,
                std::vector<WalkFault>& faults)
{
    std::set<FolderIdentity> visited;
    std::vector<Pending> pending{{LongPathForm(root, PathUse::Exact), L"", false}};
    std::vector<FolderEntry> entries;
    while (!pending.empty()) {
        const Pending folder = std::move(pending.back());
        pending.pop_back();
        if (!FirstVisit(folder, visited))
            continue;
        if (!ListFolderOf(folder.path, entries)) {
            faults.push_back({WithoutLongPrefix(folder.path), ::GetLastError()});
            continue;
        }
        std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        // Subfolders are taken from the end of the list: pushed last to first, walked first to last.
        const size_t firstSubfolder = pending.size();
        for (const FolderEntry& entry : entries) {
            const std::wstring relative = folder.relative.empty() ? entry.name : folder.relative + L"\\" + entry.name;
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
                pending.push_back({Joined(folder.path, entry.name), relative,
                                   (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
            else if (wanted(entry.name))
                files.push_back({Joined(folder.path, entry.name), relative});
        }
        std::reverse(pending.begin() + firstSubfolder, pending.end());
    }
}
