#include "query/Versions.h"

#include "query/PathCache.h"

namespace {

template <class Item, class File> std::vector<FileVersion> Read(const std::vector<Item>& items, File file)
{
    PathCache<FileVersion> versions(ReadFileVersion);
    std::vector<FileVersion> read;
    read.reserve(items.size());
    for (const Item& item : items)
        read.push_back(versions.Of(file(item)));
    return read;
}

}  // namespace

std::vector<FileVersion> VersionsOf(const std::vector<ModuleEntry>& modules)
{
    return Read(modules, [](const ModuleEntry& module) -> const std::wstring& { return module.file; });
}

std::vector<FileVersion> VersionsOf(const std::vector<LoadedModule>& hits)
{
    return Read(hits, [](const LoadedModule& hit) -> const std::wstring& { return hit.module.file; });
}
