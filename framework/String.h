// CString: a value string of ANSI characters, as the system's ANSI interfaces deliver them.
#pragma once

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text, static_cast<size_t>(length)) {}

    CString& operator=(const char* text) { m_text = text ? text : ""; return *this; }
    CString& operator+=(const char* text) { if (text) m_text += text; return *this; }

    operator const char*() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    bool operator==(const char* other) const { return m_text == (other ? other : ""); }
    bool operator!=(const char* other) const { return !(*this == other); }

    // printf-style formatting of any length.
    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);
    // Loads a string resource of the program; false (and an empty string) when there is none.
    bool LoadString(unsigned id);

private:
    std::string m_text;
};
