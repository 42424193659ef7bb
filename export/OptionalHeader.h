// Reading the headers of a module's image: the optional header, the part of its PE header that
// carries the image version (the 224-byte header of 32-bit images, IMAGE_OPTIONAL_HEADER32, or
// the 240-byte header of 64-bit images, IMAGE_OPTIONAL_HEADER64, whichever record the caller
// passes); and the stamp that tells one build of an image from another, from a file or from
// wherever a reader finds the image's bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <windows.h>

// Fills `header` from a file's bytes: the optional header when the image's has the record's
// size, or zero bytes when it has another size (a 64-bit image's has 240, a 32-bit image's
// 224); returns true. Returns false, with a zeroed record, when the bytes hold no header to
// read: shorter than a DOS header, no "MZ", or NT headers or optional header that would run
// past `size`. Never reads outside the `size` bytes.
template <class Header> bool ParseOptionalHeader(const BYTE* bytes, size_t size, Header* header);

// Reads module file `path` (an ANSI path, or a whole path as std::wstring) through a read-only
// mapping and fills `header` as above; false, with a zeroed record, also when the file cannot be
// opened or mapped (an empty file cannot). Each file here is opened by the form of its path that
// names it (ExactAnsiPathOf, ExactPathOf), or not at all: "com1.dll" is no port.
template <class Header, class Path> bool ReadOptionalHeader(const Path& path, Header* header);

// What tells one build of an image from another: the time stamp of its file header, and the
// image size and checksum of its optional header, read where the optional header of the image's
// own bitness keeps them.
struct ImageStamp {
    WORD magic = 0;  // IMAGE_NT_OPTIONAL_HDR32_MAGIC or IMAGE_NT_OPTIONAL_HDR64_MAGIC
    DWORD timeDateStamp = 0;
    DWORD sizeOfImage = 0;
    DWORD checkSum = 0;

    bool operator==(const ImageStamp& o) const
    {
        return magic == o.magic && timeDateStamp == o.timeDateStamp && sizeOfImage == o.sizeOfImage &&
               checkSum == o.checkSum;
    }
    bool operator!=(const ImageStamp& o) const { return !(*this == o); }
};

// Copies `size` bytes from `offset` of an image into `out`; false when they cannot all be read.
using ImageReader = std::function<bool(size_t offset, void* out, size_t size)>;

// Fills `stamp` from the image that `read` reads. False, with an empty stamp, when it holds no
// image header: no "MZ", a negative offset of the NT headers, no "PE\0\0", a magic of neither
// bitness, an optional header too short to hold the checksum, or a part that cannot be read.
bool ReadImageStamp(const ImageReader& read, ImageStamp& stamp);
// The same from bytes in memory, never read outside the `size` bytes.
bool ParseImageStamp(const BYTE* bytes, size_t size, ImageStamp& stamp);
// The same from module file `path` through a read-only mapping: ERROR_SUCCESS; the system's
// reason when the file cannot be opened or mapped (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND:
// there is no such file); ERROR_BAD_EXE_FORMAT when it holds no image header.
DWORD ReadImageStampOf(const std::wstring& path, ImageStamp& stamp);
