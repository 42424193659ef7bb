#include "query/StaleSearch.h"

#include <algorithm>

#include "export/LoadedImage.h"
#include "framework/Handles.h"
#include "query/PathCache.h"

namespace {

// What the file at a path holds, or why it cannot be told.
struct FileStamp {
    DWORD error;
    ImageStamp stamp;
};

FileStamp ReadFileStamp(const std::wstring& file)
{
    FileStamp read;
    read.error = ReadImageStampOf(file, read.stamp);
    return read;
}

FileState StateOf(DWORD error)
{
    if (error == ERROR_SUCCESS)
        return FileState::Changed;
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::Vanished
                                                                          : FileState::Unreadable;
}

// The magic of images of this program's own bitness.
const WORD kOwnMagic = sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC;

// Compares the images of a walked process with their files. False, and nothing kept, when the
// process has ended: it runs nothing any more.
bool Check(const ProcessModules& walked, PathCache<FileStamp>& files, StaleSearch& search)
{
    const DWORD id = walked.process.id;
    KernelHandle process(walked.walk == ModuleWalk::Listed ? ::OpenProcess(PROCESS_VM_READ | SYNCHRONIZE, FALSE, id)
                                                           : nullptr);
    if (!process) {
        if (walked.walk == ModuleWalk::Ended || !ProcessRuns(id))
            return false;
        search.unread.push_back({walked.process, walked.walk == ModuleWalk::Listed ? ModuleWalk::NotOpened : walked.walk});
        return true;
    }
    std::vector<StaleModule> stale;
    std::vector<LoadedModule> unchecked, otherView;
    for (const ModuleEntry& module : walked.modules) {
        ImageStamp loaded;
        if (!ReadLoadedImageStamp(process.Get(), module.base, loaded)) {
            unchecked.push_back({walked.process, module});
            continue;
        }
        const FileStamp& file = files.Of(module.file);
        // Wine names the ntdll.dll of a 32-bit process by the 64-bit system folder, also as the
        // file mapped; what this program finds there cannot be what that process loaded.
        if (file.error == ERROR_SUCCESS && loaded.magic != kOwnMagic && file.stamp.magic != loaded.magic)
            otherView.push_back({walked.process, module});
        else if (file.error != ERROR_SUCCESS || file.stamp != loaded)
            stale.push_back({{walked.process, module}, StateOf(file.error)});
    }
    // An image that could not be read may belong to a process that ended meanwhile.
    if (!unchecked.empty() && ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT)
        return false;
    search.stale.insert(search.stale.end(), stale.begin(), stale.end());
    search.unchecked.insert(search.unchecked.end(), unchecked.begin(), unchecked.end());
    search.otherView.insert(search.otherView.end(), otherView.begin(), otherView.end());
    return true;
}

void Sort(StaleSearch& search)
{
    std::stable_sort(search.stale.begin(), search.stale.end(),
                     [](const StaleModule& a, const StaleModule& b) { return ListedBefore(a.loaded, b.loaded); });
}

}  // namespace

bool FindStaleModules(const Backend& backend, StaleSearch& search)
{
    search = StaleSearch();
    PathCache<FileStamp> files(ReadFileStamp);
    bool read = backend.WalkEveryProcess([&](const ProcessModules& process) { Check(process, files, search); });
    Sort(search);
    return read;
}

bool FindStaleModules(const ProcessModules& process, StaleSearch& search)
{
    search = StaleSearch();
    PathCache<FileStamp> files(ReadFileStamp);
    const bool ran = Check(process, files, search);
    Sort(search);
    return ran;
}
