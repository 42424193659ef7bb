#include "paths/Destinations.h"

#include <windows.h>

#include "paths/DisplayName.h"
#include "paths/WidePath.h"

FolderUse FolderUseOf(const std::wstring& folder)
{
    std::wstring named = folder;
    while (named.size() > 1 && (named.back() == L'\\' || named.back() == L'/'))
        named.pop_back();
    const std::wstring name = named.substr(FolderLength(named));
    if (name != L"." && name != L".." && !name.empty() && (name.back() == L' ' || name.back() == L'.'))
        return FolderUse::BadName;
    if (!SystemHasWidePaths() && folder.size() >= MAX_PATH - 14)
        return FolderUse::TooLong;
    const DWORD attributes = AttributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes & FILE_ATTRIBUTE_DIRECTORY ? FolderUse::Existing : FolderUse::File;
    // Only the folder itself is made, in a folder that exists.
    std::wstring full = FullPathOf(folder);
    while (full.size() > 1 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    const std::wstring parent = full.substr(0, FolderLength(full));
    const DWORD above = parent.empty() ? INVALID_FILE_ATTRIBUTES : AttributesOf(parent);
    if (above == INVALID_FILE_ATTRIBUTES || !(above & FILE_ATTRIBUTE_DIRECTORY) || parent.size() == full.size())
        return FolderUse::Nowhere;
    return FolderUse::Missing;
}

FileUse FileUseOf(const std::wstring& file)
{
    if (!SystemHasWidePaths() && file.size() >= MAX_PATH)
        return FileUse::TooLong;
    const DWORD attributes = AttributesOf(file);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NameIsFree(file) ? FileUse::Missing : FileUse::Existing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? FileUse::Folder : FileUse::Existing;
}
