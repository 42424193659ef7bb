// The module report's texts, each fixture module's line, and reading the optional header from
// real, truncated and hostile files.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "export/Fixtures.h"
#include "export/ModuleReport.h"
#include "export/OptionalHeader.h"

namespace {

const size_t kOptionalHeaderSize = sizeof(IMAGE_OPTIONAL_HEADER32);

// A read past the guard page is a failure of its own: end at once with a message, instead of
// waiting for the system's debugger.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* info)
{
    std::fprintf(stderr, "FAILED: exception 0x%08lx at %p (a read past the end of the bytes?)\n",
                 info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    ::ExitProcess(3);
}
const auto g_previousFilter = ::SetUnhandledExceptionFilter(&ReportFault);

// Bytes placed flush against an inaccessible page: reading one byte past them faults.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity)
    {
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

    const BYTE* Place(const std::string& bytes)
    {
        BYTE* data = m_base + m_dataPages * m_page - bytes.size();
        std::memcpy(data, bytes.data(), bytes.size());
        return data;
    }

private:
    BYTE* m_base;
    size_t m_page;
    size_t m_dataPages;
};

LONG NewHeaderOf(const std::string& bytes)
{
    LONG offset;
    std::memcpy(&offset, bytes.data() + 0x3C, sizeof offset);
    return offset;
}

void SetNewHeader(std::string& bytes, LONG offset) { std::memcpy(&bytes[0x3C], &offset, sizeof offset); }

void SetOptionalSize(std::string& bytes, size_t ntHeaders, WORD size)
{
    std::memcpy(&bytes[ntHeaders + 0x14], &size, sizeof size);
}

std::string RecordBytes(const IMAGE_OPTIONAL_HEADER32& header)
{
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

const std::string kZeros(kOptionalHeaderSize, '\0');

// What reading `bytes` must give: the 224 bytes behind the NT headers when the image says 224
// and they all lie in the file; zeros when the NT headers' first 0x18 bytes lie in the file and
// say another size; no header otherwise.
struct Expectation {
    bool read;
    std::string record;
};

Expectation Expect(const std::string& bytes)
{
    if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z')
        return {false, kZeros};
    int64_t nt = NewHeaderOf(bytes);
    if (nt < 0 || nt + 0x18 > static_cast<int64_t>(bytes.size()))
        return {false, kZeros};
    WORD optionalSize;
    std::memcpy(&optionalSize, bytes.data() + nt + 0x14, sizeof optionalSize);
    if (optionalSize != kOptionalHeaderSize)
        return {true, kZeros};
    if (nt + 0x18 + static_cast<int64_t>(kOptionalHeaderSize) > static_cast<int64_t>(bytes.size()))
        return {false, kZeros};
    return {true, bytes.substr(static_cast<size_t>(nt) + 0x18, kOptionalHeaderSize)};
}

void CheckParse(GuardedBuffer& buffer, const std::string& bytes, const char* file, int line)
{
    IMAGE_OPTIONAL_HEADER32 header;
    std::memset(&header, 0xCC, sizeof header);  // what a previous module might have left
    bool read = ParseOptionalHeader(buffer.Place(bytes), bytes.size(), &header);
    Expectation expected = Expect(bytes);
    INFO("from " << file << ":" << line << ", size " << bytes.size() << ", e_lfanew "
                 << (bytes.size() >= 64 ? NewHeaderOf(bytes) : -1));
    CHECK(read == expected.read);
    CHECK(RecordBytes(header) == expected.record);
}

std::string RealImage()
{
    std::string bytes = fixtures::ReadBytes(fixtures::Directory() + "fx_full.dll");
    REQUIRE(bytes.size() > 8192);
    return bytes;
}

}  // namespace

TEST_CASE("the report's fixed texts")
{
    CHECK(ReportHeader("NOTEPAD.EXE") == "Module zum Prozess: NOTEPAD.EXE\n\n");
    CHECK(ReportHeader("unknown") == "Module zum Prozess: unknown\n\n");
    CHECK(ReportHeader("") == "Module zum Prozess: \n\n");
    CHECK(ModuleLine("C:\\Tools\\sample.dll", "2.1.0.7", "Sample Library") ==
          "C:\\Tools\\sample.dll\t(V2.1.0.7, Sample Library)\n");
    CHECK(ModuleLine("C:\\Tools\\sample.dll", "1.00", nullptr) == "C:\\Tools\\sample.dll\t(V1.00)\n");
    CHECK(ModuleLine("a", "", "") == "a\t(V, )\n");

    // A line of any length is composed whole.
    std::string path = "C:\\" + std::string(255, 'p') + ".dll";
    std::string version(100, 'v'), description(700, 'd');
    CString line = ModuleLine(path.c_str(), version.c_str(), description.c_str());
    CHECK(std::string(line) == path + "\t(V" + version + ", " + description + ")\n");
}

TEST_CASE("image versions: major, a point, minor with at least two digits")
{
    struct Case { WORD major, minor; const char* text; } cases[] = {
        {5, 1, "5.01"}, {4, 0, "4.00"}, {6, 10, "6.10"}, {1, 123, "1.123"},
        {0, 0, "0.00"}, {65535, 65535, "65535.65535"}, {10, 9, "10.09"},
    };
    for (const Case& c : cases) {
        IMAGE_OPTIONAL_HEADER32 header{};
        header.MajorImageVersion = c.major;
        header.MinorImageVersion = c.minor;
        CHECK_MESSAGE(ImageVersionText(header) == c.text, c.major << "." << c.minor);
    }
}

TEST_CASE("the translation key is the first entry only, or the default")
{
    struct Case { std::vector<WORD> words; UINT length; const char* key; } cases[] = {
        {{0x0409, 0x04B0}, 4, "040904b0"},
        {{0x0407, 0x04E4}, 4, "040704e4"},
        {{0x0407, 0x04E4, 0x0409, 0x04B0}, 8, "040704e4"},
        {{0xFFFF, 0xFFFF}, 4, "ffffffff"},
        {{0x0000, 0x0000}, 4, "00000000"},
        {{0x0407, 0x04E4}, 3, "040904b0"},  // no whole entry
        {{}, 0, "040904b0"},
    };
    for (const Case& c : cases)
        CHECK_MESSAGE(TranslationKey(c.words.empty() ? nullptr : c.words.data(), c.length) == c.key,
                      "expected " << c.key);
}

TEST_CASE("each fixture module gets the line its resource and header call for")
{
    for (const fixtures::Fixture& fixture : fixtures::All()) {
        std::string path = fixtures::PathOf(fixture);
        CHECK_MESSAGE(std::string(ComposeModuleLine(path.c_str())) == fixtures::ExpectedLine(fixture),
                      fixture.file);
    }

    // A file that cannot be read states no version; in particular not the version of the file
    // before it.
    std::string folder = fixtures::FreshTempFolder("quendrix-lines");
    fixtures::WriteBytes(folder + "empty.dll", "");
    fixtures::WriteBytes(folder + "text.dll", "no image at all");
    const std::string paths[] = {folder + "vanished.dll", folder + "empty.dll", folder + "text.dll",
                                 folder};
    for (const std::string& path : paths) {
        ComposeModuleLine(fixtures::PathOf(fixtures::All()[2]).c_str());  // fx_desc: 5.01
        CHECK(std::string(ComposeModuleLine(path.c_str())) == path + "\t(Vunknown)\n");
    }
}

TEST_CASE("the optional header of real images")
{
    IMAGE_OPTIONAL_HEADER32 header;
    std::memset(&header, 0xCC, sizeof header);
    REQUIRE(ReadOptionalHeader((fixtures::Directory() + "fx_otherkey.dll").c_str(), &header));
    CHECK(header.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    CHECK(header.MajorImageVersion == 6);
    CHECK(header.MinorImageVersion == 10);

    // A 64-bit image's optional header has 240 bytes: the record is all zeros.
    std::memset(&header, 0xCC, sizeof header);
    CHECK(ReadOptionalHeader((fixtures::Directory() + "fx_x64.dll").c_str(), &header));
    CHECK(RecordBytes(header) == kZeros);

    std::memset(&header, 0xCC, sizeof header);
    CHECK_FALSE(ReadOptionalHeader((fixtures::Directory() + "no such file.dll").c_str(), &header));
    CHECK(RecordBytes(header) == kZeros);
}

TEST_CASE("truncated and hostile headers are never read past their end")
{
    const std::string image = RealImage();
    const size_t nt = static_cast<size_t>(NewHeaderOf(image));
    const size_t end = nt + 0x18 + kOptionalHeaderSize;
    GuardedBuffer buffer(64 * 1024);

    // Boundaries, each with its expected outcome written out.
    struct Case { std::string bytes; bool read; bool zeros; const char* what; };
    std::string past = image.substr(0, 4096);
    SetNewHeader(past, 4096 - 0x18 - 100);
    SetOptionalSize(past, 4096 - 0x18 - 100, 224);
    std::string sizeAtEnd = image.substr(0, 4096);
    SetNewHeader(sizeAtEnd, 4096 - 0x18);
    SetOptionalSize(sizeAtEnd, 4096 - 0x18, 240);
    std::string negative = image.substr(0, 4096);
    SetNewHeader(negative, static_cast<LONG>(0x80000000));
    std::string wrapping = image.substr(0, 4096);
    SetNewHeader(wrapping, 0x7FFFFFF0);
    Case cases[] = {
        {"", false, true, "empty"},
        {"MZ", false, true, "shorter than a DOS header"},
        {image.substr(0, 63), false, true, "one byte short of a DOS header"},
        {image.substr(0, 64), false, true, "DOS header only"},
        {image.substr(0, nt + 0x17), false, true, "NT headers cut"},
        {image.substr(0, end - 1), false, true, "optional header one byte short"},
        {image.substr(0, end), true, false, "optional header up to the last byte"},
        {past, false, true, "one page, optional header past the end"},
        {sizeAtEnd, true, true, "one page, a 240-byte header's size at the very end"},
        {negative, false, true, "negative offset"},
        {wrapping, false, true, "offset near 2 GB"},
        {"ZM" + image.substr(2, 4094), false, true, "no DOS signature"},
    };
    for (const Case& c : cases) {
        IMAGE_OPTIONAL_HEADER32 header;
        std::memset(&header, 0xCC, sizeof header);
        bool read = ParseOptionalHeader(buffer.Place(c.bytes), c.bytes.size(), &header);
        CHECK_MESSAGE(read == c.read, c.what);
        CHECK_MESSAGE((RecordBytes(header) == kZeros) == c.zeros, c.what);
        CheckParse(buffer, c.bytes, __FILE__, __LINE__);
    }

    // Thousands of mutations of the real header: offsets, sizes and lengths at random, page
    // boundaries and the header's own edges included.
    std::mt19937 random(20240607);
    const size_t lengths[] = {0, 1, 2, 63, 64, 65, nt, nt + 0x16, nt + 0x18, end - 1, end, end + 1,
                              4095, 4096, 4097, 8191, 8192, 8193};
    for (int i = 0; i < 6000; ++i) {
        std::string bytes = image.substr(0, 8192 + 64);
        size_t length = (i % 3 == 0) ? lengths[random() % std::size(lengths)] : random() % bytes.size();
        switch (random() % 4) {
        case 0: SetNewHeader(bytes, static_cast<LONG>(random())); break;
        case 1: SetNewHeader(bytes, static_cast<LONG>(length) - static_cast<LONG>(random() % 300)); break;
        case 2: SetNewHeader(bytes, static_cast<LONG>(random() % (length + 1))); break;
        default: break;
        }
        LONG offset = NewHeaderOf(bytes);
        if (offset >= 0 && static_cast<size_t>(offset) + 0x16 <= bytes.size())
            SetOptionalSize(bytes, static_cast<size_t>(offset), (random() % 2) ? 224 : static_cast<WORD>(random()));
        for (int flips = random() % 4; flips > 0; --flips)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        bytes.resize(length);
        CheckParse(buffer, bytes, __FILE__, __LINE__);
    }
}

TEST_CASE("reading the optional header from files at page boundaries and odd sizes")
{
    const std::string image = RealImage();
    const size_t nt = static_cast<size_t>(NewHeaderOf(image));
    const size_t end = nt + 0x18 + kOptionalHeaderSize;
    std::string folder = fixtures::FreshTempFolder("quendrix-headers");

    std::string past = image.substr(0, 4096);
    SetNewHeader(past, 4096 - 0x18 - 100);
    SetOptionalSize(past, 4096 - 0x18 - 100, 224);
    const std::string files[] = {"", "M", image.substr(0, 63), image.substr(0, 64), image.substr(0, end - 1),
                                 image.substr(0, end), past, image.substr(0, 4095), image.substr(0, 4096),
                                 image.substr(0, 4097), image.substr(0, 8192)};
    int n = 0;
    for (const std::string& bytes : files) {
        std::string path = folder + "case" + std::to_string(n++) + ".dll";
        fixtures::WriteBytes(path, bytes);
        IMAGE_OPTIONAL_HEADER32 header;
        std::memset(&header, 0xCC, sizeof header);
        bool read = ReadOptionalHeader(path.c_str(), &header);
        Expectation expected = Expect(bytes);
        CHECK_MESSAGE(read == expected.read, "size " << bytes.size());
        CHECK_MESSAGE(RecordBytes(header) == expected.record, "size " << bytes.size());
    }

    // A file that someone else holds without sharing cannot be opened: no header.
    std::string locked = folder + "locked.dll";
    fixtures::WriteBytes(locked, image);
    HANDLE holder = ::CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    IMAGE_OPTIONAL_HEADER32 header;
    CHECK_FALSE(ReadOptionalHeader(locked.c_str(), &header));
    CHECK(RecordBytes(header) == kZeros);
    ::CloseHandle(holder);
    CHECK(ReadOptionalHeader(locked.c_str(), &header));
    CHECK(header.MajorImageVersion == 5);
}
