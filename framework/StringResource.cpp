// CString::LoadString, apart from the rest of the string class: it needs the application's
// instance, and a program without windows (the console program) uses strings too.
#include "Afx.h"

#include <vector>

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
