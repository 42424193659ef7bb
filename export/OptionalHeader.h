// Reading the optional header of a module file, the part of its PE header that carries the
// image version: the 224-byte header of 32-bit images (IMAGE_OPTIONAL_HEADER32) or the 240-byte
// header of 64-bit images (IMAGE_OPTIONAL_HEADER64), whichever record the caller passes.
#pragma once

#include <cstddef>
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
// opened or mapped (an empty file cannot).
template <class Header, class Path> bool ReadOptionalHeader(const Path& path, Header* header);
