#include "paths/WidePath.h"

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "framework/WholeName.h"

namespace {

// The wide functions, bound on the NT family only.
struct WideFunctions {
    decltype(&::CreateFileW) createFile = nullptr;
    decltype(&::GetFileAttributesW) attributes = nullptr;
    decltype(&::CopyFileW) copyFile = nullptr;
    decltype(&::CreateDirectoryW) createFolder = nullptr;
    decltype(&::DeleteFileW) deleteFile = nullptr;
    decltype(&::MoveFileW) moveFile = nullptr;
    decltype(&::GetFullPathNameW) fullPath = nullptr;
    decltype(&::GetLongPathNameW) longPath = nullptr;
    decltype(&::CharLowerBuffW) lower = nullptr;
    bool bound = false;

    WideFunctions()
    {
        if (!SystemHasWidePaths())
            return;
        bound = BindFromLoadedModule("kernel32.dll", EntryPoint{"CreateFileW", createFile},
                                     EntryPoint{"GetFileAttributesW", attributes}, EntryPoint{"CopyFileW", copyFile},
                                     EntryPoint{"CreateDirectoryW", createFolder},
                                     EntryPoint{"DeleteFileW", deleteFile}, EntryPoint{"MoveFileW", moveFile},
                                     EntryPoint{"GetFullPathNameW", fullPath}) &&
                BindFromLoadedModule("user32.dll", EntryPoint{"CharLowerBuffW", lower});
        // Windows NT 4.0 has no GetLongPathNameW; 8.3 names then stay as they are.
        BindFromLoadedModule("kernel32.dll", EntryPoint{"GetLongPathNameW", longPath});
    }
};

const WideFunctions& Wide()
{
    static const WideFunctions functions;
    return functions;
}

std::string Ansi(const std::wstring& path)
{
    return FromWide(path);
}

// The full path of `path` with its last part taken as a name: the system reads a last part such
// as "com1.txt" as the port.
std::wstring FullPathOfName(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    const bool drive = separator == std::wstring::npos && path.size() > 2 && path[1] == L':';
    const std::wstring name = drive ? path.substr(2) : path.substr(separator == std::wstring::npos ? 0 : separator + 1);
    if (name.empty() || name == L"." || name == L"..")
        return FullPathOf(path);
    const std::wstring given = drive ? path.substr(0, 2) : separator == std::wstring::npos ? L"." : path.substr(0, separator + 1);
    std::wstring folder = FullPathOf(given);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + name;
}

}  // namespace

std::wstring LongPathForm(const std::wstring& path, PathUse use)
{
    if (!Wide().bound || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    // Below 248 characters CreateDirectoryW needs no prefix, and below MAX_PATH nothing else does.
    const size_t limit = use == PathUse::NewFolder ? MAX_PATH - 12 : use == PathUse::Exact ? 0 : MAX_PATH;
    // The prefix turns off the system's own reading of "/", "." and "..": it is done here first.
    const std::wstring full = use == PathUse::Exact ? FullPathOfName(path) : FullPathOf(path);
    if (full.size() < limit || full.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    if (full.size() > 2 && full[1] == L':' && full[2] == L'\\')
        return L"\\\\?\\" + full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return path;
}

std::wstring WithoutLongPrefix(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

HANDLE CreateFileOf(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (Wide().bound)
        return Wide().createFile(LongPathForm(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    return ::CreateFileA(Ansi(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

DWORD AttributesOf(const std::wstring& path)
{
    return Wide().bound ? Wide().attributes(LongPathForm(path).c_str()) : ::GetFileAttributesA(Ansi(path).c_str());
}

bool CopyFileOf(const std::wstring& from, const std::wstring& to, bool failIfExists)
{
    if (Wide().bound)
        return Wide().copyFile(LongPathForm(from).c_str(), LongPathForm(to).c_str(), failIfExists) != FALSE;
    return ::CopyFileA(Ansi(from).c_str(), Ansi(to).c_str(), failIfExists) != FALSE;
}

bool CreateFolderOf(const std::wstring& path)
{
    if (Wide().bound)
        return Wide().createFolder(LongPathForm(path, PathUse::NewFolder).c_str(), nullptr) != FALSE;
    return ::CreateDirectoryA(Ansi(path).c_str(), nullptr) != FALSE;
}

bool DeleteFileOf(const std::wstring& path)
{
    return (Wide().bound ? Wide().deleteFile(LongPathForm(path).c_str()) : ::DeleteFileA(Ansi(path).c_str())) != FALSE;
}

bool MoveFileOf(const std::wstring& from, const std::wstring& to)
{
    if (Wide().bound)
        return Wide().moveFile(LongPathForm(from).c_str(), LongPathForm(to).c_str()) != FALSE;
    return ::MoveFileA(Ansi(from).c_str(), Ansi(to).c_str()) != FALSE;
}

std::wstring FullPathOf(const std::wstring& path)
{
    if (!Wide().bound) {
        char full[MAX_PATH];
        DWORD length = ::GetFullPathNameA(Ansi(path).c_str(), MAX_PATH, full, nullptr);
        return length > 0 && length < MAX_PATH ? ToWide(std::string(full, length)) : path;
    }
    // The full path of a relative one can be longer than MAX_PATH.
    std::wstring full =
        WholeName<wchar_t>([&](wchar_t* text, DWORD size) { return Wide().fullPath(path.c_str(), size, text, nullptr); });
    return full.empty() ? path : full;
}

std::wstring LongNameOf(const std::wstring& path)
{
    if (!Wide().longPath)
        return path;
    const std::wstring prefixed = LongPathForm(path);
    std::wstring full =
        WholeName<wchar_t>([&](wchar_t* text, DWORD size) { return Wide().longPath(prefixed.c_str(), text, size); });
    if (full.empty())
        return path;
    // What came in without the prefix goes out without it.
    return prefixed != path ? WithoutLongPrefix(full) : full;
}

std::wstring LowerCase(std::wstring text)
{
    if (text.empty())
        return text;
    if (Wide().lower) {
        Wide().lower(&text[0], static_cast<DWORD>(text.size()));
        return text;
    }
    std::string ansi = FromWide(text);
    ::CharLowerBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
    return ToWide(ansi);
}
