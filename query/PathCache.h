// What was read from a file, kept by the file's path in any case: every process of a search has
// the same system DLLs, so each file is read once.
#pragma once

#include <map>
#include <string>

#include "paths/WidePath.h"

template <typename Value>
class PathCache {
public:
    explicit PathCache(Value (*read)(const std::wstring& file)) : m_read(read) {}

    const Value& Of(const std::wstring& file)
    {
        std::wstring key = LowerCase(file);
        auto known = m_values.find(key);
        if (known == m_values.end())
            known = m_values.emplace(key, m_read(file)).first;
        return known->second;
    }

private:
    Value (*m_read)(const std::wstring& file);
    std::map<std::wstring, Value> m_values;
};
