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
    decltype(&::RemoveDirectoryW) removeFolder = nullptr;
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
                                     EntryPoint{"RemoveDirectoryW", removeFolder},
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

bool NamesDevice(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    const size_t start = separator != std::wstring::npos ? separator + 1 : path.size() > 1 && path[1] == L':' ? 2 : 0;
    std::wstring base = path.substr(start, path.find_first_of(L".:", start) - start);
    base.erase(base.find_last_not_of(L' ') + 1);
    for (wchar_t& c : base)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    for (const wchar_t* name : {L"con", L"prn", L"aux", L"nul", L"clock$", L"conin$", L"conout$"})
        if (base == name)
            return true;
    const std::wstring ports = L"0123456789\x00B9\x00B2\x00B3";
    return base.size() == 4 && (base.compare(0, 3, L"com") == 0 || base.compare(0, 3, L"lpt") == 0) &&
           ports.find(base[3]) != std::wstring::npos;
}

bool ExactPathOf(const std::wstring& path, std::wstring& exact)
{
    if (Wide().bound) {
        exact = LongPathForm(path, PathUse::Exact);
        return true;
    }
    if (NamesDevice(path)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    exact = path;
    return true;
}

bool ExactAnsiPathOf(const char* path, std::string& exact)
{
    exact = path;
    // A path in the "\\?\" form is that form already.
    if (Wide().bound && exact.compare(0, 4, "\\\\?\\") == 0)
        return true;
    bool device = NamesDevice(ToWide(exact));
    if (Wide().bound && !device) {
        // The system's own reading, for names that it takes as devices beyond those above.
        char full[MAX_PATH] = "";
        const DWORD length = ::GetFullPathNameA(path, MAX_PATH, full, nullptr);
        device = length >= 4 && length < MAX_PATH && std::string(full, 4) == "\\\\.\\";
    }
    if (!device)
        return true;
    const bool drive = exact.size() > 2 && exact[1] == ':' && exact[2] == '\\';
    const bool share = exact.compare(0, 2, "\\\\") == 0 && exact.compare(0, 4, "\\\\?\\") != 0 &&
                       exact.compare(0, 4, "\\\\.\\") != 0;
    exact = drive ? "\\\\?\\" + exact : share ? "\\\\?\\UNC\\" + exact.substr(2) : std::string();
    if (Wide().bound && !exact.empty() && exact.size() < MAX_PATH)
        return true;
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
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

bool RemoveFolderOf(const std::wstring& path)
{
    if (Wide().bound)
        return Wide().removeFolder(LongPathForm(path).c_str()) != FALSE;
    return ::RemoveDirectoryA(Ansi(path).c_str()) != FALSE;
}

bool NameIsFree(const std::wstring& path)
{
    if (AttributesOf(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    if (::GetLastError() != ERROR_FILE_NOT_FOUND)
        return ::GetLastError() == ERROR_PATH_NOT_FOUND;
    // The one sure test: a new file can be made under the name, and is removed at once.
    HANDLE probe = CreateFileOf(path, GENERIC_WRITE, 0, CREATE_NEW);
    if (probe == INVALID_HANDLE_VALUE)
        return ::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS;
    ::CloseHandle(probe);
    DeleteFileOf(path);
    return true;
}

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
