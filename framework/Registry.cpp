#include "framework/Registry.h"

#include <algorithm>

namespace {

// The longest text read from one value: far beyond any folder or file name.
const DWORD kLongestText = 32768;

// `data` of `size` bytes as the text it holds, up to its first NUL.
std::string TextOf(const std::vector<char>& data, DWORD size)
{
    const std::string text(data.data(), std::min<size_t>(size, data.size()));
    return text.substr(0, text.find('\0'));
}

}  // namespace

RegistryKey::RegistryKey(HKEY root, const char* subkey, REGSAM view)
{
    if (::RegOpenKeyExA(root, subkey, 0, KEY_READ | view, &m_key) != ERROR_SUCCESS)
        m_key = nullptr;
}

RegistryKey::~RegistryKey()
{
    if (m_key)
        ::RegCloseKey(m_key);
}

bool RegistryKey::Text(const char* name, std::string& text) const
{
    DWORD type = 0, size = 0;
    if (!m_key || ::RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kLongestText)
        return false;
    std::vector<char> data(size + 1, '\0');
    if (::RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return false;
    text = TextOf(data, size);
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH * 4] = "";
        const DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
        if (length == 0 || length > sizeof expanded)
            return false;
        text = expanded;
    }
    return true;
}

std::vector<RegistryKey::Value> RegistryKey::Texts() const
{
    std::vector<Value> values;
    for (DWORD index = 0; m_key; ++index) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0, size = 0;
        std::vector<char> data(MAX_PATH * 2);
        size = static_cast<DWORD>(data.size());
        const LONG result = ::RegEnumValueA(m_key, index, name, &nameSize, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        // A value too long for a file name (ERROR_MORE_DATA) names no file: it is passed over.
        if (result == ERROR_SUCCESS && type == REG_SZ)
            values.push_back({std::string(name, nameSize), TextOf(data, size)});
        else if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
            break;
    }
    return values;
}
