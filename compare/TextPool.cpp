#include "compare/TextPool.h"

#include <windows.h>

#include <cstring>

namespace {

// Texts are kept in blocks of this size, so that the pool never moves what it has handed out
// and never holds twice its size while a buffer grows; a longer text gets a block of its own.
const size_t kBlockSize = 1 << 20;

std::uint32_t RotateLeft(std::uint32_t value, int bits)
{
    return (value << bits) | (value >> (32 - bits));
}

std::uint32_t MixWord(std::uint32_t hash, std::uint32_t word)
{
    word *= 0xCC9E2D51U;
    word = RotateLeft(word, 15) * 0x1B873593U;
    return RotateLeft(hash ^ word, 13) * 5 + 0xE6546B64U;
}

}  // namespace

std::uint32_t HashText(std::string_view text, std::uint32_t seed)
{
    std::uint32_t hash = seed;
    const char* p = text.data();
    size_t left = text.size();
    for (; left >= 4; p += 4, left -= 4) {
        std::uint32_t word;
        std::memcpy(&word, p, sizeof word);
        hash = MixWord(hash, word);
    }
    std::uint32_t tail = 0;
    std::memcpy(&tail, p, left);
    hash = MixWord(hash, tail) ^ static_cast<std::uint32_t>(text.size());
    hash = (hash ^ (hash >> 16)) * 0x85EBCA6BU;
    hash = (hash ^ (hash >> 13)) * 0xC2B2AE35U;
    return hash ^ (hash >> 16);
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    size_t i = 0;
    for (; i + 4 <= a.size(); i += 4) {
        std::uint32_t x, y;
        std::memcpy(&x, a.data() + i, sizeof x);
        std::memcpy(&y, b.data() + i, sizeof y);
        if (x != y)
            return false;
    }
    for (; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Texts come from other machines' reports: with a seed that a report's writer cannot know, no
// report can be made of texts that all land in one place of the pool and slow it to a crawl.
TextPool::TextPool()
    : m_seed(MixWord(static_cast<std::uint32_t>(::GetTickCount()),
                     static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(this))))
{
}

std::uint32_t TextPool::Intern(std::string_view text, bool& added)
{
    if (m_entries.size() * 2 >= m_slots.size())
        Grow();
    const std::uint32_t hash = HashText(text, m_seed), mask = static_cast<std::uint32_t>(m_slots.size() - 1);
    for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = m_slots[slot];
        if (held == 0) {
            m_entries.push_back({Store(text), static_cast<std::uint32_t>(text.size()), hash});
            m_slots[slot] = static_cast<std::uint32_t>(m_entries.size());
            added = true;
            return static_cast<std::uint32_t>(m_entries.size() - 1);
        }
        const Entry& entry = m_entries[held - 1];
        if (entry.hash == hash && SameText(std::string_view(entry.text, entry.length), text)) {
            added = false;
            return held - 1;
        }
    }
}

const char* TextPool::Store(std::string_view text)
{
    if (text.empty())
        return "";
    if (text.size() > kBlockSize / 16) {
        // A long text's own block leaves the current block's room as it was.
        m_blocks.emplace_back(new char[text.size()]);
        std::memcpy(m_blocks.back().get(), text.data(), text.size());
        return m_blocks.back().get();
    }
    if (text.size() > m_left) {
        m_blocks.emplace_back(new char[kBlockSize]);
        m_free = m_blocks.back().get();
        m_left = kBlockSize;
    }
    char* at = m_free;
    std::memcpy(at, text.data(), text.size());
    m_free += text.size();
    m_left -= text.size();
    return at;
}

void TextPool::Grow()
{
    std::vector<std::uint32_t> slots(m_slots.empty() ? 64 : m_slots.size() * 2, 0);
    const std::uint32_t mask = static_cast<std::uint32_t>(slots.size() - 1);
    for (std::uint32_t id = 0; id < m_entries.size(); ++id) {
        std::uint32_t slot = m_entries[id].hash & mask;
        while (slots[slot])
            slot = (slot + 1) & mask;
        slots[slot] = id + 1;
    }
    m_slots.swap(slots);
}
