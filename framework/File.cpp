#include "File.h"

#include "FileException.h"

CFile::CFile(const char* fileName, UINT openFlags) : m_strFileName(fileName)
{
    DWORD access = (openFlags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = (openFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_hFile = ::CreateFileA(fileName, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        ThrowLastError();
}

CFile::~CFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

void CFile::Write(const void* data, UINT count)
{
    DWORD written = 0;
    if (!::WriteFile(m_hFile, data, count, &written, nullptr))
        ThrowLastError();
    if (written != count)
        throw CFileException(m_strFileName, ERROR_DISK_FULL);
}

void CFile::Close()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    HANDLE file = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(file))
        ThrowLastError();
}

void CFile::ThrowLastError() const
{
    throw CFileException(m_strFileName, ::GetLastError());
}
