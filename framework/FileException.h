// CFileException: thrown by the file classes when the system refuses to create, write or close
// a file.
#pragma once

#include <windows.h>

#include <exception>

#include "String.h"

class CFileException : public std::exception {
public:
    CFileException(const char* fileName, DWORD osError) : m_strFileName(fileName), m_lOsError(osError) {}

    const char* what() const noexcept override { return "A file could not be created, written or closed."; }

    CString m_strFileName;  // the file as it was named when it was opened
    DWORD m_lOsError;       // the system's error code (GetLastError)
};
