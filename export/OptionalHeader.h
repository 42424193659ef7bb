// Reading the 32-bit optional header of a module file, the part of its PE header that carries
// the image version.
#pragma once

#include <cstddef>
#include <windows.h>

// Fills `header` from a file's bytes: the 224 bytes of a 32-bit optional header, or 224 zero
// bytes when the image's optional header has another size (a 64-bit image's has 240); returns
// true. Returns false, with a zeroed record, when the bytes hold no header to read: shorter
// than a DOS header, no "MZ", or NT headers or optional header that would run past `size`.
// Never reads outside the `size` bytes.
bool ParseOptionalHeader(const BYTE* bytes, size_t size, IMAGE_OPTIONAL_HEADER32* header);

// Reads module file `path` through a read-only mapping and fills `header` as above; false,
// with a zeroed record, also when the file cannot be opened or mapped (an empty file cannot).
bool ReadOptionalHeader(const char* path, IMAGE_OPTIONAL_HEADER32* header);
