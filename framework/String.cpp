#include "Afx.h"

#include <cstdio>
#include <vector>

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    va_list probe;
    va_copy(probe, args);
    int needed = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (needed < 0) {
        m_text.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    m_text.assign(buffer.data(), static_cast<size_t>(needed));
}

bool CString::LoadString(unsigned id)
{
    // A string resource is at most 65535 characters; LoadStringA cuts at the buffer's end,
    // so grow the buffer until the text fits with room to spare.
    std::vector<char> buffer(256);
    for (;;) {
        int length = ::LoadStringA(AfxGetInstanceHandle(), id, buffer.data(),
                                   static_cast<int>(buffer.size()));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() > 65536) {
            m_text.assign(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
            return length > 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}
