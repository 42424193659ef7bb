#include "export/FileReplace.h"

#include <algorithm>

#include "enum/DisplayName.h"
#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "framework/WidePath.h"

FileMover BoundMoveFileEx()
{
    static FileMover pfnMoveFileExW = nullptr;
    if (SystemHasWidePaths())
        BindFromLoadedModule("kernel32.dll", EntryPoint{"MoveFileExW", pfnMoveFileExW});
    return pfnMoveFileExW;
}

// Not GetTempFileName: some systems answer it with a name they could not create. The name is
// short, so that it fits wherever the file it stands in for fits.
KernelHandle CreateUniqueFile(const std::wstring& folder, std::wstring& path)
{
    const std::wstring where = folder.empty() ? std::wstring(L".") : folder;
    DWORD start = ::GetTickCount();
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        path = PathInFolder(where, L"~q" + ToWide(std::to_string((start + attempt) & 0xFFFF)));
        KernelHandle handle(CreateFileOf(path, GENERIC_WRITE, 0, CREATE_NEW));
        if (handle || ::GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    return KernelHandle();
}

bool ReplaceFileWith(const std::wstring& target, const std::wstring& source, bool replace, FileMover mover)
{
    if (!replace || AttributesOf(target) == INVALID_FILE_ATTRIBUTES)
        return MoveFileOf(source, target);
    if (mover && mover(LongPathForm(source).c_str(), LongPathForm(target).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (mover && ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    // A free name beside the target, to step aside to.
    std::wstring aside;
    {
        KernelHandle reserved = CreateUniqueFile(target.substr(0, FolderLength(target)), aside);
        if (!reserved)
            return false;
    }
    if (!DeleteFileOf(aside) || !MoveFileOf(target, aside))
        return false;
    if (MoveFileOf(source, target)) {
        DeleteFileOf(aside);
        return true;
    }
    DWORD error = ::GetLastError();
    MoveFileOf(aside, target);
    ::SetLastError(error);
    return false;
}

bool WriteNewFile(const std::wstring& file, const std::string& bytes, bool replace, DWORD& error, FileMover mover)
{
    // The new file goes into the same folder, so that it can take the other's place.
    std::wstring temporary;
    KernelHandle handle = CreateUniqueFile(file.substr(0, FolderLength(file)), temporary);
    if (!handle) {
        error = ::GetLastError();
        return false;
    }
    bool written = WriteAll(handle.Get(), bytes) && handle.Close() && ReplaceFileWith(file, temporary, replace, mover);
    if (!written) {
        error = ::GetLastError();
        handle.Close();
        DeleteFileOf(temporary);
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
