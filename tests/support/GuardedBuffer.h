// Bytes placed flush against an inaccessible page, so that a read of one byte past them faults.
#pragma once

#include <doctest/doctest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace testing {

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity)
    {
        ::SetUnhandledExceptionFilter(&ReportFault);
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        m_page = system.dwPageSize;
        m_dataPages = (capacity + m_page - 1) / m_page;
        m_base = static_cast<BYTE*>(::VirtualAlloc(nullptr, (m_dataPages + 1) * m_page,
                                                   MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        REQUIRE(m_base != nullptr);
        DWORD old;
        REQUIRE(::VirtualProtect(m_base + m_dataPages * m_page, m_page, PAGE_NOACCESS, &old));
    }
    ~GuardedBuffer() { ::VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // Where `bytes` now lie, their last byte just before the guard page.
    const BYTE* Place(const std::string& bytes)
    {
        BYTE* data = m_base + m_dataPages * m_page - bytes.size();
        std::memcpy(data, bytes.data(), bytes.size());
        return data;
    }

private:
    // A read past the guard page is a failure of its own: end at once with a message, instead of
    // waiting for the system's debugger.
    static LONG WINAPI ReportFault(EXCEPTION_POINTERS* info)
    {
        std::fprintf(stderr, "FAILED: exception 0x%08lx at %p (a read past the end of the bytes?)\n",
                     info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
        std::fflush(stderr);
        ::ExitProcess(3);
    }

    BYTE* m_base;
    size_t m_page;
    size_t m_dataPages;
};

}  // namespace testing
