// The stamp that tells one build of an image from another, read from files and from a process's
// memory: hand-made headers of both bitnesses, cut and hostile ones, and real modules.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <windows.h>
#include <dbghelp.h>

#include "export/Fixtures.h"
#include "export/LoadedImage.h"
#include "framework/Encoding.h"
#include "support/GuardedBuffer.h"

namespace {

void Put(std::string& bytes, size_t at, DWORD value, size_t size)
{
    std::memcpy(&bytes[at], &value, size);
}

// A header made by hand at the format's offsets: "MZ"; e_lfanew (0x3C) 0x80; "PE\0\0" at 0x80;
// the file header's time stamp at 0x88 and SizeOfOptionalHeader at 0x94; the optional header at
// 0x98, its magic first, the image size at 0xD0 (+56) and the checksum at 0xD8 (+64). The
// checksum's last byte is byte 0xDB.
std::string Header(WORD magic, WORD optionalSize = 0xE0)
{
    std::string bytes(0x200, '\x5A');
    Put(bytes, 0, 0x5A4D, 2);
    Put(bytes, 0x3C, 0x80, 4);
    Put(bytes, 0x80, 0x00004550, 4);
    Put(bytes, 0x88, 0x3B9ACA00, 4);
    Put(bytes, 0x94, optionalSize, 2);
    Put(bytes, 0x98, magic, 2);
    Put(bytes, 0xD0, 0x00023000, 4);
    Put(bytes, 0xD8, 0x0001F00D, 4);
    return bytes;
}

// `header` with its NT headers moved to `at`, past what a reader takes in at once.
std::string Moved(const std::string& header, size_t at)
{
    std::string bytes = header.substr(0, 0x80) + std::string(at - 0x80, '\x5A') + header.substr(0x80);
    Put(bytes, 0x3C, static_cast<DWORD>(at), 4);
    return bytes;
}

// The system's own reading of a module file's NT headers.
ImageStamp SystemStamp(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    HANDLE mapping = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    const IMAGE_NT_HEADERS* nt = ::ImageNtHeader(view);
    REQUIRE(nt != nullptr);
    const auto* wide = reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt);
    const bool is64 = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    ImageStamp stamp;
    stamp.magic = nt->OptionalHeader.Magic;
    stamp.timeDateStamp = nt->FileHeader.TimeDateStamp;
    stamp.sizeOfImage = is64 ? wide->OptionalHeader.SizeOfImage : nt->OptionalHeader.SizeOfImage;
    stamp.checkSum = is64 ? wide->OptionalHeader.CheckSum : nt->OptionalHeader.CheckSum;
    ::UnmapViewOfFile(view);
    ::CloseHandle(mapping);
    ::CloseHandle(file);
    return stamp;
}

}  // namespace

TEST_CASE("the stamp is read from hand-made headers of both bitnesses, in files' bytes and in memory")
{
    // Each with the magic that the stamp reads, 0 where no stamp is read; and whether only the
    // end of the bytes cuts the header: Wine's ReadProcessMemory reads through an inaccessible
    // page, so in memory such a case says nothing.
    struct Case { std::string bytes; WORD magic; const char* what; bool cut; } cases[] = {
        {Header(0x10B), 0x10B, "32-bit", false},
        {Header(0x20B, 0xF0), 0x20B, "64-bit", false},
        {Moved(Header(0x10B), 0x1800), 0x10B, "NT headers far behind the DOS header", false},
        {Header(0x10B, 68), 0x10B, "an optional header that just reaches the checksum", false},
        {Header(0x10B, 67), 0, "an optional header one byte short of the checksum", false},
        {Header(0x10B).substr(0, 0xDC), 0x10B, "bytes that end with the checksum", false},
        {Header(0x10B).substr(0, 0xDB), 0, "bytes that end one byte short", true},
        {Header(0x10B).substr(0, 0x40), 0, "a DOS header only", true},
        {Header(0x107), 0, "a magic of neither bitness", false},
        {"ZM" + Header(0x10B).substr(2), 0, "no MZ", false},
        {Header(0x10B).replace(0x80, 2, "PX"), 0, "no PE signature", false},
        {Header(0x10B).replace(0x3C, 4, std::string("\x00\x00\x00\x80", 4)), 0, "a negative offset", false},
        {Header(0x10B).replace(0x3C, 4, std::string("\xF0\xFF\xFF\x7F", 4)), 0, "an offset near 2 GB", false},
    };
    testing::GuardedBuffer buffer(8192);
    for (const Case& c : cases) {
        const std::string what = c.what;
        ImageStamp parsed, loaded, expected;
        if (c.magic)
            expected = {c.magic, 0x3B9ACA00, 0x23000, 0x1F00D};
        CHECK_MESSAGE(ParseImageStamp(buffer.Place(c.bytes), c.bytes.size(), parsed) == (c.magic != 0), what);
        CHECK_MESSAGE(parsed == expected, what);
        if (c.cut)
            continue;
        const auto base = reinterpret_cast<ULONG_PTR>(buffer.Place(c.bytes));
        CHECK_MESSAGE(ReadLoadedImageStamp(::GetCurrentProcess(), base, loaded) == (c.magic != 0), what);
        CHECK_MESSAGE(loaded == expected, what);
    }
    // An address whose headers would lie past the end of the address space.
    ImageStamp stamp;
    CHECK_FALSE(ReadLoadedImageStamp(::GetCurrentProcess(), ~static_cast<ULONG_PTR>(0) - 0x40, stamp));
}

TEST_CASE("the stamps of real modules, on disk and loaded, are those the system reads")
{
    const std::string folder = fixtures::Directory();
    const std::wstring wideFolder = ToWide(folder);
    ImageStamp stamp, old, fresh;
    for (const char* name : {"fx_x86.dll", "fx_x64.dll", "fx_stale_old.dll", "fx_stale_new.dll"}) {
        CHECK_MESSAGE(ReadImageStampOf(wideFolder + ToWide(name), stamp) == ERROR_SUCCESS, name);
        CHECK_MESSAGE(stamp == SystemStamp(folder + name), name);
    }
    // The two builds differ in the time stamp that their build set.
    REQUIRE(ReadImageStampOf(wideFolder + L"fx_stale_old.dll", old) == ERROR_SUCCESS);
    REQUIRE(ReadImageStampOf(wideFolder + L"fx_stale_new.dll", fresh) == ERROR_SUCCESS);
    CHECK(old.timeDateStamp == 1000000000);
    CHECK(fresh.timeDateStamp == 1100000000);
    CHECK(old.magic == (sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC));

    // Loaded into this process, the image's stamp is the file's.
    HMODULE module = ::LoadLibraryA((folder + "fx_stale_old.dll").c_str());
    REQUIRE(module != nullptr);
    ImageStamp loaded;
    CHECK(ReadLoadedImageStamp(::GetCurrentProcess(), reinterpret_cast<ULONG_PTR>(module), loaded));
    CHECK(loaded == old);
    ::FreeLibrary(module);

    // Why a file's stamp cannot be read.
    const std::string scratch = fixtures::FreshTempFolder("quendrix-stamps");
    fixtures::WriteBytes(scratch + "text.dll", "no image at all");
    fixtures::WriteBytes(scratch + "empty.dll", "");
    const std::wstring wideScratch = ToWide(scratch);
    struct Why { const wchar_t* file; DWORD error; } whys[] = {
        {L"gone.dll", ERROR_FILE_NOT_FOUND}, {L"gone\\gone.dll", ERROR_PATH_NOT_FOUND},
        {L"text.dll", ERROR_BAD_EXE_FORMAT}, {L"empty.dll", ERROR_BAD_EXE_FORMAT},
    };
    for (const Why& why : whys)
        CHECK_MESSAGE(ReadImageStampOf(wideScratch + why.file, stamp) == why.error, "expected " << why.error);
    ::DeleteFileA((scratch + "text.dll").c_str());
    ::DeleteFileA((scratch + "empty.dll").c_str());
    ::RemoveDirectoryA(scratch.c_str());
}
