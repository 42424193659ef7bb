// A module's version-information block, read whole through the ANSI or the wide functions of
// version.dll, and the values in it. Released with the block's owner.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "export/ModuleReport.h"
#include "export/VersionApi.h"

// The version functions of one character type.
template <class Char> struct VersionCalls;
template <> struct VersionCalls<char> {
    static bool Bound() { return BindVersionFunctions(); }
    static DWORD Size(const char* path) { DWORD unused = 0; return pfnGetFileVersionInfoSizeA(path, &unused); }
    static BOOL Read(const char* path, DWORD size, void* data) { return pfnGetFileVersionInfoA(path, 0, size, data); }
    static BOOL Query(const void* block, const char* sub, void** value, UINT* length)
    {
        return pfnVerQueryValueA(block, sub, value, length);
    }
};
template <> struct VersionCalls<wchar_t> {
    static bool Bound() { return BindWideVersionFunctions(); }
    static DWORD Size(const wchar_t* path) { DWORD unused = 0; return pfnGetFileVersionInfoSizeW(path, &unused); }
    static BOOL Read(const wchar_t* path, DWORD size, void* data) { return pfnGetFileVersionInfoW(path, 0, size, data); }
    static BOOL Query(const void* block, const wchar_t* sub, void** value, UINT* length)
    {
        return pfnVerQueryValueW(block, sub, value, length);
    }
};

template <class Char> class VersionBlock {
public:
    using Text = std::basic_string<Char>;

    explicit VersionBlock(const Char* path)
    {
        // Bound at start-up; a caller that came first (a test, a benchmark) binds here.
        if (!VersionCalls<Char>::Bound())
            return;
        m_size = VersionCalls<Char>::Size(path);
        m_data = m_size ? static_cast<BYTE*>(std::malloc(m_size)) : nullptr;
        if (m_data && !VersionCalls<Char>::Read(path, m_size, m_data)) {
            std::free(m_data);
            m_data = nullptr;
        }
    }
    ~VersionBlock() { std::free(m_data); }
    VersionBlock(const VersionBlock&) = delete;
    VersionBlock& operator=(const VersionBlock&) = delete;

    bool IsRead() const { return m_data != nullptr; }

    // The table of strings to read: the first entry of the translation value.
    Text TranslationKey() const
    {
        UINT length = 0;
        size_t available = 0;
        const BYTE* value = Query(Spelled("\\VarFileInfo\\Translation"), &length, &available);
        return Spelled(::TranslationKey(value, value ? static_cast<UINT>(std::min<size_t>(length, available)) : 0));
    }

    // The string `name` of the string table `key`, as stored, up to its NUL within the block.
    bool QueryString(const Text& key, const char* name, Text& text) const
    {
        UINT length = 0;
        size_t available = 0;
        // The reported length counts the NUL on some systems and not on others: the NUL decides.
        const Char* value = reinterpret_cast<const Char*>(
            Query(Spelled("\\StringFileInfo\\") + key + Spelled("\\") + Spelled(name), &length, &available));
        if (!value)
            return false;
        size_t count = 0;
        while (count < available / sizeof(Char) && value[count])
            ++count;
        text.assign(value, count);
        return true;
    }

    // The fixed part of the block, whose signature the system checks; false without one.
    bool FixedInfo(VS_FIXEDFILEINFO& info) const
    {
        UINT length = 0;
        size_t available = 0;
        const BYTE* value = Query(Spelled("\\"), &length, &available);
        if (!value || length < sizeof info || available < sizeof info)
            return false;
        std::memcpy(&info, value, sizeof info);
        return info.dwSignature == 0xFEEF04BD;
    }

private:
    // An ASCII text in this block's characters.
    static Text Spelled(const std::string& ascii) { return Text(ascii.begin(), ascii.end()); }

    // The value at `subBlock`: its length as the system reports it, and the bytes of the block
    // from there on. Null when absent or when the system points outside the block.
    const BYTE* Query(const Text& subBlock, UINT* length, size_t* available) const
    {
        void* value = nullptr;
        if (!m_data || !VersionCalls<Char>::Query(m_data, subBlock.c_str(), &value, length) || !value)
            return nullptr;
        const BYTE* p = static_cast<const BYTE*>(value);
        if (p < m_data || p >= m_data + m_size)
            return nullptr;
        *available = static_cast<size_t>(m_data + m_size - p);
        return p;
    }

    BYTE* m_data = nullptr;
    DWORD m_size = 0;
};
