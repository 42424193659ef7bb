// CFile and CStdioFile on real files: creation and truncation, text and binary streams, and the
// CFileException that every refusal of the system throws; and the forms in which whole paths go
// to the wide file functions.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/Encoding.h"
#include "framework/FileException.h"
#include "framework/StdioFile.h"
#include "framework/WholeName.h"
#include "paths/WidePath.h"
#include "support/TestSupport.h"

namespace {

std::string TempFolder()
{
    return testing::FreshFolder("quendrix-file") + "\\";
}

DWORD SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow;
}

// The system error of the CFileException that `action` throws; 0 when it throws none.
template <class Action> DWORD ErrorOf(Action action, std::string* fileName = nullptr)
{
    try {
        action();
    } catch (const CFileException& e) {
        if (fileName)
            *fileName = e.m_strFileName.GetString();
        return e.m_lOsError;
    }
    return 0;
}

}  // namespace

TEST_CASE("a text stream writes each line feed as CR LF; a binary stream writes bytes unchanged")
{
    const std::string path = TempFolder() + "stream.txt";
    struct Case { UINT flags; const char* written; const char* stored; } cases[] = {
        {CFile::modeCreate | CFile::modeWrite, "a\nb\n\nc", "a\r\nb\r\n\r\nc"},
        {CFile::modeCreate | CFile::modeWrite | CFile::typeText, "x\r\ny\n", "x\r\r\ny\r\n"},
        {CFile::modeCreate | CFile::modeWrite | CFile::typeBinary, "a\nb\r\n", "a\nb\r\n"},
        {CFile::modeCreate | CFile::modeWrite, "", ""},
        {CFile::modeCreate | CFile::modeWrite, "\xE4\xF6\xFC\xDF\t\n", "\xE4\xF6\xFC\xDF\t\r\n"},
    };
    for (const Case& c : cases) {
        CStdioFile file(path.c_str(), c.flags);
        file.WriteString(c.written);
        // Nothing is held back: the bytes are in the file before it is closed, which no one else
        // can open meanwhile.
        CHECK(SizeOf(path) == std::strlen(c.stored));
        CHECK(testing::FileContent(path) == "<missing>");
        file.Close();
        CHECK_MESSAGE(testing::FileContent(path) == c.stored, "flags " << c.flags);
    }
}

TEST_CASE("modeCreate truncates an existing file; the destructor closes a file left open")
{
    const std::string path = TempFolder() + "truncate.txt";
    {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.WriteString("a long first content\n");
        file.WriteString("in two calls\n");
    }
    CHECK(testing::FileContent(path) == "a long first content\r\nin two calls\r\n");
    {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.WriteString("short");
        file.Close();
        file.Close();  // a closed file stays closed
    }
    CHECK(testing::FileContent(path) == "short");
}

TEST_CASE("every refusal of the system throws CFileException with the file and the reason")
{
    const std::string folder = TempFolder();
    std::string named;

    // Creating in a folder that does not exist.
    const std::string missing = folder + "no such folder\\report.txt";
    CHECK(ErrorOf([&] { CStdioFile file(missing.c_str(), CFile::modeCreate | CFile::modeWrite); }, &named) ==
          ERROR_PATH_NOT_FOUND);
    CHECK(named == missing);

    // Creating a file that another handle holds without sharing.
    const std::string held = folder + "held.txt";
    HANDLE holder = ::CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    CHECK(ErrorOf([&] { CStdioFile file(held.c_str(), CFile::modeCreate | CFile::modeWrite); }) ==
          ERROR_SHARING_VIOLATION);
    ::CloseHandle(holder);

    // Opening without modeCreate needs an existing file.
    CHECK(ErrorOf([&] { CFile file((folder + "absent.txt").c_str(), CFile::modeWrite); }) == ERROR_FILE_NOT_FOUND);

    // Writing to a full disk: the device that is always full.
    // The host's /dev/full, which every machine that runs script/test has.
    HANDLE probe = ::CreateFileA("Z:\\dev\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE_MESSAGE(probe != INVALID_HANDLE_VALUE, "Z:\\dev\\full (the host's /dev/full) is not reachable");
    ::CloseHandle(probe);
    CStdioFile full("Z:\\dev\\full", CFile::modeCreate | CFile::modeWrite);
    CHECK(ErrorOf([&] { full.WriteString("header\n"); }, &named) == ERROR_DISK_FULL);
    CHECK(named == "Z:\\dev\\full");
}

TEST_CASE("paths beyond the system's limits go to the wide functions in full, with the long prefix")
{
    REQUIRE(SystemHasWidePaths());
    const std::wstring base = ToWide(testing::FreshFolder("quendrix-widepath"));
    const std::wstring part(60, L'p'), deep = base + L"\\" + part + L"\\" + part + L"\\" + part + L"\\" + part;
    const std::wstring file = deep + L"\\f.txt";
    REQUIRE(file.size() >= MAX_PATH);
    auto forward = [](std::wstring path) {
        for (wchar_t& c : path)
            if (c == L'\\')
                c = L'/';
        return path;
    };
    // The name of base's own folder, for relative paths from within it.
    const std::wstring baseName = base.substr(base.rfind(L'\\') + 1);
    // Between the 248 characters of CreateDirectoryW and MAX_PATH.
    const std::wstring folder250 = base + L"\\" + std::wstring(250 - base.size() - 1, L'q');
    const std::wstring folder247 = folder250.substr(0, 247);
    const std::wstring share = L"\\\\srv\\share\\" + part + L"\\" + part + L"\\" + part + L"\\" + part + L"\\" + part;
    const std::wstring sharePrefixed = L"\\\\?\\UNC\\srv\\share\\" + part + L"\\" + part + L"\\" + part + L"\\" +
                                       part + L"\\" + part;
    struct Case { std::wstring path; PathUse use; std::wstring form; } cases[] = {
        {L"C:\\short\\f.txt", PathUse::File, L"C:\\short\\f.txt"},
        {L"C:/short/../f.txt", PathUse::File, L"C:/short/../f.txt"},
        {file, PathUse::File, L"\\\\?\\" + file},
        {forward(file), PathUse::File, L"\\\\?\\" + file},
        {base + L"\\" + part + L"\\x\\..\\.\\" + part + L"\\" + part + L"\\" + part + L"\\f.txt", PathUse::File,
         L"\\\\?\\" + file},
        {L"..\\" + baseName + L"\\" + part + L"\\" + part + L"\\" + part + L"\\" + part + L"\\f.txt", PathUse::File,
         L"\\\\?\\" + file},
        {L"\\\\?\\" + file, PathUse::File, L"\\\\?\\" + file},
        {share, PathUse::File, sharePrefixed},
        {folder250, PathUse::File, folder250},
        {folder250, PathUse::NewFolder, L"\\\\?\\" + folder250},
        {forward(folder250), PathUse::NewFolder, L"\\\\?\\" + folder250},
        {folder247, PathUse::NewFolder, folder247},
        // A file found in a folder is opened as that file, whatever its name.
        {L"C:\\short\\com1.txt", PathUse::Exact, L"\\\\?\\C:\\short\\com1.txt"},
        {L"C:/short/../f.txt", PathUse::Exact, L"\\\\?\\C:\\f.txt"},
        {L"\\\\?\\" + file, PathUse::Exact, L"\\\\?\\" + file},
    };
    // Relative paths are read from base.
    wchar_t current[MAX_PATH] = L"";
    REQUIRE(::GetCurrentDirectoryW(MAX_PATH, current) > 0);
    REQUIRE(::SetCurrentDirectoryW(base.c_str()));
    for (const Case& c : cases)
        CHECK_MESSAGE(LongPathForm(c.path, c.use) == c.form,
                      "expected " << FromWide(c.form, CP_UTF8) << ", got " << FromWide(LongPathForm(c.path, c.use), CP_UTF8));

    // The files and folders are made where those forms say, written with "/" and "..".
    std::wstring made = base;
    for (int i = 0; i < 4; ++i) {
        made += L"\\" + part;
        CHECK(CreateFolderOf(forward(made + L"\\..\\" + part)));
    }
    CHECK(CreateFolderOf(forward(folder250)));
    const DWORD attributes = ::GetFileAttributesW((L"\\\\?\\" + folder250).c_str());
    CHECK((attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)));
    HANDLE created = CreateFileOf(L"..\\" + baseName + L"/" + part + L"/./" + part + L"/" + part + L"/" + part + L"/f.txt",
                                  GENERIC_WRITE, 0, CREATE_NEW);
    CHECK(created != INVALID_HANDLE_VALUE);
    ::CloseHandle(created);
    CHECK(::GetFileAttributesW((L"\\\\?\\" + file).c_str()) != INVALID_FILE_ATTRIBUTES);
    ::SetCurrentDirectoryW(current);
}

TEST_CASE("a name handed out into the caller's buffer comes whole, or not at all")
{
    // Stand-ins for the system's three ways of answering a buffer too small: cutting the name
    // and filling the buffer, answering 0 with ERROR_INSUFFICIENT_BUFFER, answering the size.
    enum Answer { Cuts, Refuses, TellsSize, Fails };
    struct Case {
        Answer answer;
        size_t length;
        bool whole;
    } cases[] = {
        {Cuts, 10, true},        {Cuts, 259, true},        {Cuts, 260, true},      {Cuts, 20000, true},
        {Refuses, 300, true},    {TellsSize, 300, true},   {TellsSize, 32766, true}, {Cuts, 32767, false},
        {Cuts, 40000, false},    {TellsSize, 40000, false}, {Fails, 10, false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.answer);
        CAPTURE(c.length);
        const std::wstring name(c.length, L'n');
        std::wstring got = WholeName<wchar_t>([&](wchar_t* buffer, DWORD size) -> DWORD {
            if (c.answer == Fails) {
                ::SetLastError(ERROR_ACCESS_DENIED);
                return 0;
            }
            if (name.size() < size) {
                std::copy(name.begin(), name.end(), buffer);
                buffer[name.size()] = L'\0';
                return static_cast<DWORD>(name.size());
            }
            if (c.answer == Refuses) {
                ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            if (c.answer == TellsSize)
                return static_cast<DWORD>(name.size() + 1);
            std::copy(name.begin(), name.begin() + (size - 1), buffer);
            buffer[size - 1] = L'\0';
            return size - 1;
        });
        CHECK(got == (c.whole ? name : std::wstring()));
    }
}
