// Finding a byte in the lines of a report, which the readers of reports do for every line.
#pragma once

#include <cstdint>
#include <cstring>

// The first `c` in [from, end), or end: eight bytes at a time, where the C runtime of the oldest
// systems (and of Wine) looks at one byte after another.
inline const char* FindByte(const char* from, const char* end, char c)
{
    const std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    const std::uint64_t pattern = ones * static_cast<unsigned char>(c);
    for (; end - from >= 8; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        word ^= pattern;  // a zero byte where `c` is
        if ((word - ones) & ~word & highs)
            break;
    }
    while (from < end && *from != c)
        ++from;
    return from;
}
