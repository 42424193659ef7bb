#include "paths/FolderList.h"

#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "paths/WidePath.h"

namespace {

// A search handle, closed with FindClose.
class SearchHandle {
public:
    explicit SearchHandle(HANDLE handle) : m_handle(handle) {}
    ~SearchHandle()
    {
        if (*this)
            ::FindClose(m_handle);
    }
    SearchHandle(const SearchHandle&) = delete;
    SearchHandle& operator=(const SearchHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// The wide search, bound on the NT family only, as the other wide file functions.
struct WideSearch {
    decltype(&::FindFirstFileW) first = nullptr;
    decltype(&::FindNextFileW) next = nullptr;
    bool bound = false;

    WideSearch()
    {
        bound = SystemHasWidePaths() && BindFromLoadedModule("kernel32.dll", EntryPoint{"FindFirstFileW", first},
                                                             EntryPoint{"FindNextFileW", next});
    }
};

const WideSearch& Search()
{
    static const WideSearch search;
    return search;
}

void Keep(std::wstring name, DWORD attributes, std::vector<FolderEntry>& entries)
{
    if (name != L"." && name != L"..")
        entries.push_back({std::move(name), attributes});
}

// The end of a list says so; any other error cut it short.
bool ListedToTheEnd()
{
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace

bool ListFolderOf(const std::wstring& folder, std::vector<FolderEntry>& entries)
{
    entries.clear();
    const bool ended = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    const std::wstring pattern = folder + (ended ? L"*" : L"\\*");
    if (Search().bound) {
        WIN32_FIND_DATAW found;
        SearchHandle search(Search().first(LongPathForm(pattern).c_str(), &found));
        if (!search)
            return false;
        do
            Keep(found.cFileName, found.dwFileAttributes, entries);
        while (Search().next(search.Get(), &found));
        return ListedToTheEnd();
    }
    WIN32_FIND_DATAA found;
    SearchHandle search(::FindFirstFileA(FromWide(pattern).c_str(), &found));
    if (!search)
        return false;
    do
        Keep(ToWide(found.cFileName), found.dwFileAttributes, entries);
    while (::FindNextFileA(search.Get(), &found));
    return ListedToTheEnd();
}

bool FolderIdentityOf(const std::wstring& folder, FolderIdentity& identity)
{
    if (!SystemHasWidePaths())
        return false;
    // Only a handle with backup semantics opens a folder; reading its attributes needs no more.
    KernelHandle handle(CreateFileOf(folder, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    BY_HANDLE_FILE_INFORMATION information;
    if (!handle || !::GetFileInformationByHandle(handle.Get(), &information))
        return false;
    identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    // Some file systems of shares answer 0 for every folder: that tells none apart.
    return information.nFileIndexHigh != 0 || information.nFileIndexLow != 0;
}
