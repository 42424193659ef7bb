#include "StdioFile.h"

#include <cstring>
#include <string>

CStdioFile::CStdioFile(const char* fileName, UINT openFlags)
    : CFile(fileName, openFlags), m_bText(!(openFlags & typeBinary))
{
}

void CStdioFile::WriteString(const char* text)
{
    size_t length = std::strlen(text);
    if (!m_bText) {
        Write(text, static_cast<UINT>(length));
        return;
    }
    std::string translated;
    translated.reserve(length + length / 16 + 2);
    for (const char* p = text; *p; ++p) {
        if (*p == '\n')
            translated += '\r';
        translated += *p;
    }
    Write(translated.data(), static_cast<UINT>(translated.size()));
}
