#include "framework/SystemLibrary.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    size_t nameLength = std::strlen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH)
        return nullptr;
    if (path[length - 1] != '\\')
        path[length++] = '\\';
    std::memcpy(path + length, name, nameLength + 1);
    return ::LoadLibraryA(path);
}
