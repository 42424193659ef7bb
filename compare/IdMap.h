// A map from a pair of ids to a count or an index, for the fleet's tallies: open addressing over
// two flat arrays, as the tallies are looked up once for each module of each machine.
#pragma once

#include <cstdint>
#include <vector>

class IdMap {
public:
    // The value kept for (`a`, `b`); `fresh` when there is none yet, which is then kept. The
    // reference holds until the next call.
    std::uint32_t& At(std::uint32_t a, std::uint32_t b, std::uint32_t fresh)
    {
        if (m_count * 2 >= m_keys.size())
            Grow();
        const std::uint64_t key = Key(a, b);
        const size_t mask = m_keys.size() - 1;
        for (size_t slot = Hash(key) & mask;; slot = (slot + 1) & mask) {
            if (m_keys[slot] == key)
                return m_values[slot];
            if (m_keys[slot] == kEmpty) {
                m_keys[slot] = key;
                m_values[slot] = fresh;
                ++m_count;
                return m_values[slot];
            }
        }
    }

private:
    // No pair of ids makes this key: ids stay below 2^32 - 1.
    static const std::uint64_t kEmpty = ~std::uint64_t(0);

    static std::uint64_t Key(std::uint32_t a, std::uint32_t b) { return (std::uint64_t(a) << 32) | b; }
    static size_t Hash(std::uint64_t key)
    {
        key ^= key >> 29;
        key *= 0xBF58476D1CE4E5B9ULL;
        return static_cast<size_t>(key ^ (key >> 32));
    }

    void Grow()
    {
        std::vector<std::uint64_t> keys(m_keys.empty() ? 64 : m_keys.size() * 2, kEmpty);
        std::vector<std::uint32_t> values(keys.size());
        const size_t mask = keys.size() - 1;
        for (size_t i = 0; i < m_keys.size(); ++i) {
            if (m_keys[i] == kEmpty)
                continue;
            size_t slot = Hash(m_keys[i]) & mask;
            while (keys[slot] != kEmpty)
                slot = (slot + 1) & mask;
            keys[slot] = m_keys[i];
            values[slot] = m_values[i];
        }
        m_keys.swap(keys);
        m_values.swap(values);
    }

    std::vector<std::uint64_t> m_keys;
    std::vector<std::uint32_t> m_values;
    size_t m_count = 0;
};
