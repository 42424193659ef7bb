// The registry as the programs read it: an owner of an open key, and the texts of its values,
// through the ANSI functions that every Win32 system has.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// An open registry key, closed with RegCloseKey when the owner goes.
class RegistryKey {
public:
    // Opens `subkey` of `root` for reading; `view` adds KEY_WOW64_64KEY where the 64-bit view of
    // a 64-bit system is wanted. Holds nothing when the key cannot be opened.
    RegistryKey(HKEY root, const char* subkey, REGSAM view = 0);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    explicit operator bool() const { return m_key != nullptr; }

    // The text of value `name` (REG_SZ, or REG_EXPAND_SZ with its variables expanded); false when
    // there is no such text.
    bool Text(const char* name, std::string& text) const;
    // The texts of every REG_SZ value of the key, by the values' names, in the key's order.
    struct Value {
        std::string name, text;
    };
    std::vector<Value> Texts() const;

private:
    HKEY m_key = nullptr;
};
