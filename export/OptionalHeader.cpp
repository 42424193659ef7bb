#include "export/OptionalHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/Handles.h"
#include "framework/WidePath.h"

namespace {

// Offsets in the file: e_lfanew in the DOS header; from the NT headers, SizeOfOptionalHeader
// and the optional header itself.
const size_t kNewHeaderOffset = 0x3C;
const size_t kSizeOfOptionalHeader = 0x14;
const size_t kOptionalHeader = 0x18;

}  // namespace

template <class Header> bool ParseOptionalHeader(const BYTE* bytes, size_t size, Header* header)
{
    std::memset(header, 0, sizeof *header);
    WORD signature;
    LONG newHeader;
    if (size < sizeof(IMAGE_DOS_HEADER))
        return false;
    std::memcpy(&signature, bytes, sizeof signature);
    std::memcpy(&newHeader, bytes + kNewHeaderOffset, sizeof newHeader);
    // 64-bit sums: an offset near 2 GB must not wrap around into the file.
    if (signature != IMAGE_DOS_SIGNATURE || newHeader < 0 ||
        static_cast<uint64_t>(newHeader) + kOptionalHeader > size)
        return false;

    WORD optionalSize;
    std::memcpy(&optionalSize, bytes + newHeader + kSizeOfOptionalHeader, sizeof optionalSize);
    if (optionalSize != sizeof *header)
        return true;
    if (static_cast<uint64_t>(newHeader) + kOptionalHeader + sizeof *header > size)
        return false;
    std::memcpy(header, bytes + newHeader + kOptionalHeader, sizeof *header);
    return true;
}

namespace {

HANDLE OpenForRead(const char* path)
{
    return ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenForRead(const std::wstring& path)
{
    return CreateFileOf(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

}  // namespace

template <class Header, class Path> bool ReadOptionalHeader(const Path& path, Header* header)
{
    std::memset(header, 0, sizeof *header);
    // Declared in the order of acquiring: released view first, file last.
    KernelHandle file(OpenForRead(path));
    if (!file)
        return false;
    // A module is never 4 GB or more: such a file counts as unreadable. GetFileSize, unlike its
    // 64-bit sibling, exists on every system the program runs on.
    DWORD sizeHigh = 0;
    const DWORD size = ::GetFileSize(file.Get(), &sizeHigh);
    if (size == INVALID_FILE_SIZE || sizeHigh != 0 || size == 0)
        return false;
    KernelHandle mapping(::CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return false;
    MappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view)
        return false;
    // The file may have changed size since it was measured: read no further than both the
    // measured size and the view reach.
    MEMORY_BASIC_INFORMATION region{};
    if (!::VirtualQuery(view.Get(), &region, sizeof region))
        return false;
    const size_t bytes = std::min<size_t>(size, region.RegionSize);
    return ParseOptionalHeader(view.Get(), bytes, header);
}

template bool ParseOptionalHeader(const BYTE*, size_t, IMAGE_OPTIONAL_HEADER32*);
template bool ParseOptionalHeader(const BYTE*, size_t, IMAGE_OPTIONAL_HEADER64*);
template bool ReadOptionalHeader(const char* const&, IMAGE_OPTIONAL_HEADER32*);
template bool ReadOptionalHeader(const char* const&, IMAGE_OPTIONAL_HEADER64*);
template bool ReadOptionalHeader(const std::wstring&, IMAGE_OPTIONAL_HEADER32*);
template bool ReadOptionalHeader(const std::wstring&, IMAGE_OPTIONAL_HEADER64*);
