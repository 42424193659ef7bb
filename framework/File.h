// CFile: a file of the system, opened by name, whose failures are thrown as CFileException.
#pragma once

#include <windows.h>

#include "Handles.h"
#include "String.h"

class CFile {
public:
    // Open flags; reading is the absence of modeWrite.
    enum OpenFlags : UINT {
        modeWrite = 0x0001,
        modeCreate = 0x1000,  // create the file, or truncate an existing one
        typeText = 0x4000,    // text stream (CStdioFile): line feeds are written as CR LF
        typeBinary = 0x8000,  // bytes are written unchanged
    };

    // Opens `fileName` without sharing it; throws CFileException when the system refuses.
    CFile(const char* fileName, UINT openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes the file if it is still open, without reporting errors: call Close to see them.
    virtual ~CFile() = default;

    // Writes all `count` bytes, or throws CFileException (a full disk writes fewer).
    void Write(const void* data, UINT count);
    // Closes the file; throws CFileException when the system reports an error. A closed file
    // stays closed.
    void Close();

private:
    [[noreturn]] void ThrowLastError() const;

    CString m_strFileName;
    // After the name: the error of a failed open is read before anything else runs.
    KernelHandle m_hFile;
};
