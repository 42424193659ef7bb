#include "StdioFile.h"

#include <cstring>
#include <string>

#include "framework/Encoding.h"

CStdioFile::CStdioFile(const char* fileName, UINT openFlags)
    : CFile(fileName, openFlags), m_bText(!(openFlags & typeBinary))
{
}

void CStdioFile::WriteString(const char* text)
{
    if (!m_bText) {
        Write(text, static_cast<UINT>(std::strlen(text)));
        return;
    }
    std::string translated = WithCrLf(text);
    Write(translated.data(), static_cast<UINT>(translated.size()));
}
