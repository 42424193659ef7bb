#include "export/FileReplace.h"

#include <algorithm>

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"

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

bool ReplaceFileWith(const std::wstring& target, const std::wstring& source, bool replace, std::wstring& aside,
                     FileMover mover, FileStep step)
{
    aside.clear();
    if (!replace) {
        // A rename never replaces a file, but under Wine it replaces a link to nothing.
        if (!NameIsFree(target)) {
            ::SetLastError(ERROR_ALREADY_EXISTS);
            return false;
        }
        return MoveFileOf(source, target);
    }
    if (NameIsFree(target))
        return MoveFileOf(source, target);
    if (mover && mover(LongPathForm(source).c_str(), LongPathForm(target).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (mover && ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    // A free name beside the target, to step aside to.
    std::wstring parked;
    {
        KernelHandle reserved = CreateUniqueFile(target.substr(0, FolderLength(target)), parked);
        if (!reserved)
            return false;
    }
    if (!DeleteFileOf(parked) || !step(target, parked))
        return false;
    if (step(source, target)) {
        DeleteFileOf(parked);
        return true;
    }
    DWORD error = ::GetLastError();
    // The user's file must be findable: where it could not come back, its name goes out.
    if (!step(parked, target))
        aside = parked;
    ::SetLastError(error);
    return false;
}

bool WriteNewFile(const std::wstring& file, const std::string& bytes, bool replace, WriteFailure& failure,
                  FileMover mover, FileStep step)
{
    failure = WriteFailure();
    // The new file goes into the same folder, so that it can take the other's place.
    std::wstring temporary;
    KernelHandle handle = CreateUniqueFile(file.substr(0, FolderLength(file)), temporary);
    if (!handle) {
        failure.error = ::GetLastError();
        return false;
    }
    bool written = WriteAll(handle.Get(), bytes) && handle.Close() &&
                   ReplaceFileWith(file, temporary, replace, failure.aside, mover, step);
    if (!written) {
        failure.error = ::GetLastError();
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
