// Names that the system hands out into a buffer of the caller's: paths beyond MAX_PATH.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

// The longest path that the wide functions take, in characters.
const DWORD kLongestPath = 32768;

// Calls `name(buffer, size)` with growing buffers until the whole name fits, and gives it; empty
// when the call fails or the name does not fit the longest path. It serves both kinds of
// function: those that cut a name too long and say only that the buffer is full
// (GetModuleFileName, GetMappedFileName), and those that answer the size they need
// (GetFullPathName, GetLongPathName).
template <class Char, class Call> std::basic_string<Char> WholeName(Call name)
{
    for (DWORD size = MAX_PATH;;) {
        std::basic_string<Char> text(size, Char());
        ::SetLastError(NO_ERROR);
        const DWORD length = name(&text[0], size);
        // A name that fills the buffer may have been cut; some systems answer a buffer too small
        // with 0 and this error instead.
        const bool cut = length == 0 ? ::GetLastError() == ERROR_INSUFFICIENT_BUFFER : length >= size - 1;
        if (length == 0 && !cut)
            return std::basic_string<Char>();
        if (!cut) {
            text.resize(length);
            return text;
        }
        if (size == kLongestPath)
            return std::basic_string<Char>();
        size = std::min(std::max(size * 4, length + 1), kLongestPath);
    }
}
