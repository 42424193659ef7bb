#include "export/LoadedImage.h"

#include <cstring>

#include "framework/SystemLibrary.h"

namespace {

using PfnReadProcessMemory = BOOL(WINAPI*)(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                                           SIZE_T* read);

// What is read at once from the start of an image: every linker puts the DOS header and the NT
// headers within it. An image whose headers lie further is read where they lie.
const size_t kHead = 1024;

}  // namespace

bool ReadLoadedImageStamp(HANDLE process, ULONG_PTR base, ImageStamp& stamp)
{
    // Bound, not imported: the import floor takes only what the platform reference names for
    // Windows 95 and NT 4.0, and its page for this function names later systems only.
    static PfnReadProcessMemory pfnReadProcessMemory = nullptr;
    stamp = ImageStamp();
    if (!BindFromLoadedModule("kernel32.dll", EntryPoint{"ReadProcessMemory", pfnReadProcessMemory}))
        return false;
    const ULONG_PTR last = ~static_cast<ULONG_PTR>(0);
    auto readAt = [&](size_t offset, void* out, size_t size) {
        // An offset that runs past the end of the address space reads nothing of the image.
        if (offset > last - base || size > last - base - offset)
            return false;
        SIZE_T read = 0;
        return pfnReadProcessMemory(process, reinterpret_cast<LPCVOID>(base + offset), out, size, &read) &&
               read == size;
    };
    BYTE head[kHead];
    const bool headRead = readAt(0, head, sizeof head);
    return ReadImageStamp(
        [&](size_t offset, void* out, size_t size) {
            if (headRead && offset <= sizeof head && size <= sizeof head - offset) {
                std::memcpy(out, head + offset, size);
                return true;
            }
            return readAt(offset, out, size);
        },
        stamp);
}
