#include "File.h"

#include "FileException.h"

namespace {

HANDLE OpenFile(const char* fileName, UINT openFlags)
{
    DWORD access = (openFlags & CFile::modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = (openFlags & CFile::modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    return ::CreateFileA(fileName, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CFile::CFile(const char* fileName, UINT openFlags) : m_strFileName(fileName), m_hFile(OpenFile(fileName, openFlags))
{
    if (!m_hFile)
        ThrowLastError();
}

void CFile::Write(const void* data, UINT count)
{
    DWORD written = 0;
    if (!::WriteFile(m_hFile.Get(), data, count, &written, nullptr))
        ThrowLastError();
    if (written != count)
        throw CFileException(m_strFileName, ERROR_DISK_FULL);
}

void CFile::Close()
{
    if (!m_hFile.Close())
        ThrowLastError();
}

void CFile::ThrowLastError() const
{
    throw CFileException(m_strFileName, ::GetLastError());
}
