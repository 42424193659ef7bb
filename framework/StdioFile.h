// CStdioFile: a CFile written as a stream of strings. A text stream (the default, or typeText)
// writes every line feed as CR LF; a binary one (typeBinary) writes the bytes unchanged.
#pragma once

#include "File.h"

class CStdioFile : public CFile {
public:
    // Opens the file as CFile does; throws CFileException when the system refuses.
    CStdioFile(const char* fileName, UINT openFlags);

    // Writes `text` up to its NUL, or throws CFileException. Nothing is held back: what a call
    // wrote is in the file when it returns.
    void WriteString(const char* text);

private:
    bool m_bText;
};
