// Each distinct text once: a fleet's reports repeat the same paths and versions on thousands of
// machines, and what is kept of each machine is the small ids that this pool hands out.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TextPool {
public:
    TextPool();
    TextPool(const TextPool&) = delete;
    TextPool& operator=(const TextPool&) = delete;

    // The id of `text`, given out when the pool first meets it (ids count from 0); `added` says
    // whether it was new.
    std::uint32_t Intern(std::string_view text, bool& added);
    std::uint32_t Intern(std::string_view text)
    {
        bool added;
        return Intern(text, added);
    }
    // The text of `id`: valid as long as the pool.
    std::string_view Text(std::uint32_t id) const { return std::string_view(m_entries[id].text, m_entries[id].length); }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_entries.size()); }

private:
    struct Entry {
        const char* text;
        std::uint32_t length;
        std::uint32_t hash;
    };

    const char* Store(std::string_view text);
    void Grow();

    std::uint32_t m_seed;  // of this pool's hash, so that no report can be written to collide
    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_slots;  // id + 1 of the entry hashed there; 0 for none
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    size_t m_left = 0;
};

// A hash of `text`, four bytes at a time, from `seed`.
std::uint32_t HashText(std::string_view text, std::uint32_t seed);
// Whether `a` and `b` hold the same bytes, compared four at a time: the C runtime of the oldest
// systems (and of Wine) compares one byte after another.
bool SameText(std::string_view a, std::string_view b);
