#include "export/FileReplace.h"

#include <algorithm>

#include "enum/DisplayName.h"
#include "framework/String.h"
#include "framework/SystemLibrary.h"

PfnMoveFileExA BoundMoveFileEx()
{
    static PfnMoveFileExA pfnMoveFileExA = nullptr;
    if (!pfnMoveFileExA)
        BindEntryPoint(::GetModuleHandleA("kernel32.dll"), "MoveFileExA", pfnMoveFileExA);
    return pfnMoveFileExA;
}

// Not GetTempFileName: some systems answer it with a name they could not create.
KernelHandle CreateUniqueFile(const std::string& folder, std::string& path)
{
    std::string prefix = folder.empty() ? std::string(".\\") : folder;
    // A drive's current folder ("C:") takes no separator.
    if (prefix.back() != '\\' && prefix.back() != '/' && prefix.back() != ':')
        prefix += '\\';
    DWORD start = ::GetTickCount();
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        CString name;
        name.Format("%s~qdx%lx.tmp", prefix.c_str(), static_cast<unsigned long>((start + attempt) & 0xFFFFF));
        path = name.GetString();
        KernelHandle handle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
        if (handle || ::GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    return KernelHandle();
}

bool ReplaceFileWith(const char* target, const char* source, bool replace, PfnMoveFileExA moveFileEx)
{
    if (!replace || ::GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return ::MoveFileA(source, target) != FALSE;
    if (moveFileEx && moveFileEx(source, target, MOVEFILE_REPLACE_EXISTING))
        return true;
    if (moveFileEx && ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    // A free name beside the target, to step aside to.
    std::string aside;
    {
        KernelHandle reserved = CreateUniqueFile(std::string(target, static_cast<size_t>(FolderLength(target))), aside);
        if (!reserved)
            return false;
    }
    if (!::DeleteFileA(aside.c_str()) || !::MoveFileA(target, aside.c_str()))
        return false;
    if (::MoveFileA(source, target)) {
        ::DeleteFileA(aside.c_str());
        return true;
    }
    DWORD error = ::GetLastError();
    ::MoveFileA(aside.c_str(), target);
    ::SetLastError(error);
    return false;
}

bool WriteNewFile(const std::string& file, const std::string& bytes, bool replace, DWORD& error,
                  PfnMoveFileExA moveFileEx)
{
    // The new file goes into the same folder, so that it can take the other's place.
    std::string temporary;
    KernelHandle handle = CreateUniqueFile(file.substr(0, static_cast<size_t>(FolderLength(file.c_str()))), temporary);
    if (!handle) {
        error = ::GetLastError();
        return false;
    }
    bool written = WriteAll(handle.Get(), bytes) && handle.Close() &&
                   ReplaceFileWith(file.c_str(), temporary.c_str(), replace, moveFileEx);
    if (!written) {
        error = ::GetLastError();
        handle.Close();
        ::DeleteFileA(temporary.c_str());
    }
    return written;
}

bool WriteAll(HANDLE handle, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}
