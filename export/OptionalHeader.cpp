#include "export/OptionalHeader.h"

#include <algorithm>
#include <cstring>

#include "framework/Handles.h"
#include "paths/WidePath.h"

namespace {

// Offsets from the NT headers: SizeOfOptionalHeader, and the optional header itself.
const size_t kSizeOfOptionalHeader = 0x14;
const size_t kOptionalHeader = 0x18;

// Reads bytes in memory, never outside them.
ImageReader BytesReader(const BYTE* bytes, size_t size)
{
    return [bytes, size](size_t offset, void* out, size_t count) {
        if (offset > size || count > size - offset)
            return false;
        std::memcpy(out, bytes + offset, count);
        return true;
    };
}

// Where the NT headers begin, from the DOS header: false when it cannot be read, lacks "MZ" or
// gives a negative offset. Offsets near 2 GB stay far below what size_t holds, so adding the
// headers' own offsets to them cannot wrap around.
bool NtHeadersAt(const ImageReader& read, size_t& at)
{
    IMAGE_DOS_HEADER dos;
    if (!read(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0)
        return false;
    at = static_cast<size_t>(dos.e_lfanew);
    return true;
}

}  // namespace

template <class Header> bool ParseOptionalHeader(const BYTE* bytes, size_t size, Header* header)
{
    std::memset(header, 0, sizeof *header);
    const ImageReader read = BytesReader(bytes, size);
    size_t nt;
    // SizeOfOptionalHeader and the characteristics: the NT headers reach the optional header.
    WORD tail[2];
    if (!NtHeadersAt(read, nt) || !read(nt + kSizeOfOptionalHeader, tail, sizeof tail))
        return false;
    if (tail[0] != sizeof *header)
        return true;
    return read(nt + kOptionalHeader, header, sizeof *header);
}

namespace {

template <class Header>
bool ReadStampFields(const ImageReader& read, size_t nt, const IMAGE_FILE_HEADER& file, ImageStamp& stamp)
{
    // An image with fewer data directories has a shorter optional header; the checksum comes
    // before them.
    const size_t reach = offsetof(Header, CheckSum) + sizeof(DWORD);
    Header header;
    if (file.SizeOfOptionalHeader < reach || !read(nt + kOptionalHeader, &header, reach))
        return false;
    stamp.magic = header.Magic;
    stamp.timeDateStamp = file.TimeDateStamp;
    stamp.sizeOfImage = header.SizeOfImage;
    stamp.checkSum = header.CheckSum;
    return true;
}

// A module's file is opened by the form of its path that names the file: "com1.dll" is no port.
HANDLE OpenForRead(const char* path)
{
    std::string exact;
    if (!ExactAnsiPathOf(path, exact))
        return INVALID_HANDLE_VALUE;
    return ::CreateFileA(exact.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

HANDLE OpenForRead(const std::wstring& path)
{
    std::wstring exact;
    if (!ExactPathOf(path, exact))
        return INVALID_HANDLE_VALUE;
    return CreateFileOf(exact, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

// Maps file `path` read-only and hands its bytes to `parse`: ERROR_SUCCESS when it read them,
// ERROR_BAD_EXE_FORMAT when it did not, the system's reason when the file cannot be mapped.
template <class Path> DWORD ParseFile(const Path& path, const std::function<bool(const BYTE*, size_t)>& parse)
{
    // Declared in the order of acquiring: released view first, file last.
    KernelHandle file(OpenForRead(path));
    if (!file)
        return ::GetLastError();
    // A module is never 4 GB or more: such a file counts as holding no header, as an empty one
    // does. GetFileSize, unlike its 64-bit sibling, exists on every system the program runs on.
    DWORD sizeHigh = 0;
    ::SetLastError(NO_ERROR);
    const DWORD size = ::GetFileSize(file.Get(), &sizeHigh);
    if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)
        return ::GetLastError();
    if (sizeHigh != 0 || size == 0 || size == INVALID_FILE_SIZE)
        return ERROR_BAD_EXE_FORMAT;
    KernelHandle mapping(::CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return ::GetLastError();
    MappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view)
        return ::GetLastError();
    // The file may have changed size since it was measured: read no further than both the
    // measured size and the view reach.
    MEMORY_BASIC_INFORMATION region{};
    if (!::VirtualQuery(view.Get(), &region, sizeof region))
        return ::GetLastError();
    return parse(view.Get(), std::min<size_t>(size, region.RegionSize)) ? ERROR_SUCCESS : ERROR_BAD_EXE_FORMAT;
}

}  // namespace

template <class Header, class Path> bool ReadOptionalHeader(const Path& path, Header* header)
{
    std::memset(header, 0, sizeof *header);
    return ParseFile(path, [header](const BYTE* bytes, size_t size) {
               return ParseOptionalHeader(bytes, size, header);
           }) == ERROR_SUCCESS;
}

bool ReadImageStamp(const ImageReader& read, ImageStamp& stamp)
{
    stamp = ImageStamp();
    size_t nt;
    DWORD signature;
    IMAGE_FILE_HEADER file;
    WORD magic;
    if (!NtHeadersAt(read, nt) || !read(nt, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !read(nt + sizeof signature, &file, sizeof file) || !read(nt + kOptionalHeader, &magic, sizeof magic))
        return false;
    // The fields of the optional header of the image's own bitness, whatever this program's.
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return ReadStampFields<IMAGE_OPTIONAL_HEADER32>(read, nt, file, stamp);
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return ReadStampFields<IMAGE_OPTIONAL_HEADER64>(read, nt, file, stamp);
    return false;
}

bool ParseImageStamp(const BYTE* bytes, size_t size, ImageStamp& stamp)
{
    return ReadImageStamp(BytesReader(bytes, size), stamp);
}

DWORD ReadImageStampOf(const std::wstring& path, ImageStamp& stamp)
{
    stamp = ImageStamp();
    return ParseFile(path, [&stamp](const BYTE* bytes, size_t size) { return ParseImageStamp(bytes, size, stamp); });
}

template bool ParseOptionalHeader(const BYTE*, size_t, IMAGE_OPTIONAL_HEADER32*);
template bool ParseOptionalHeader(const BYTE*, size_t, IMAGE_OPTIONAL_HEADER64*);
template bool ReadOptionalHeader(const char* const&, IMAGE_OPTIONAL_HEADER32*);
template bool ReadOptionalHeader(const char* const&, IMAGE_OPTIONAL_HEADER64*);
template bool ReadOptionalHeader(const std::wstring&, IMAGE_OPTIONAL_HEADER32*);
template bool ReadOptionalHeader(const std::wstring&, IMAGE_OPTIONAL_HEADER64*);
