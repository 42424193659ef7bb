// Owners of kernel objects: each releases what it holds in its destructor, so that an early
// return cannot leak a process handle, a snapshot, a file, a mapping or a view.
#pragma once

#include <windows.h>

// A kernel handle closed with CloseHandle. The functions that open one answer failure with
// null (OpenProcess, CreateFileMapping) or with INVALID_HANDLE_VALUE (CreateFile, tool-help
// snapshots): both count as holding nothing.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : m_handle(handle) {}
    ~KernelHandle() { Close(); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    // Handed on (returned from a function), the handle has one owner still.
    KernelHandle(KernelHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    // Closes the handle now, before the owner ends (where the order of releasing matters, or
    // where a failed close means lost data). False when the system refuses.
    bool Close()
    {
        bool closed = !*this || ::CloseHandle(m_handle);
        m_handle = nullptr;
        return closed;
    }

private:
    HANDLE m_handle = nullptr;
};

// A view of a file mapping, unmapped with UnmapViewOfFile.
class MappedView {
public:
    explicit MappedView(const void* view) : m_view(view) {}
    ~MappedView()
    {
        if (m_view)
            ::UnmapViewOfFile(m_view);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    const BYTE* Get() const { return static_cast<const BYTE*>(m_view); }
    explicit operator bool() const { return m_view != nullptr; }

private:
    const void* m_view;
};
