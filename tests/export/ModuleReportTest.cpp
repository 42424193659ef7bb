// The module report's texts, each fixture module's line, and reading the optional headers of
// 32-bit and 64-bit images from real, truncated and hostile files.
#include <doctest/doctest.h>

#include <cstring>
#include <random>
#include <string>

#include "export/Fixtures.h"
#include "export/ModuleReport.h"
#include "export/OptionalHeader.h"
#include "support/Conversion.h"
#include "support/GuardedBuffer.h"

namespace {

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

template <class Header> std::string RecordBytes(const Header& header)
{
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

template <class Header> std::string Zeros()
{
    return std::string(sizeof(Header), '\0');
}

// The optional header record of an image as it stands in the file: the bytes behind its NT
// headers.
template <class Header> std::string RecordOf(const std::string& image)
{
    return image.substr(static_cast<size_t>(NewHeaderOf(image)) + 0x18, sizeof(Header));
}

// Whether `bytes` still hold, unchanged and complete, every byte of `image` that reading its
// header may depend on: the DOS signature, e_lfanew, and the NT headers through the end of the
// optional header.
bool KeepsHeaderBytes(const std::string& bytes, const std::string& image, size_t end)
{
    const size_t nt = static_cast<size_t>(NewHeaderOf(image));
    auto same = [&](size_t from, size_t to) { return bytes.compare(from, to - from, image, from, to - from) == 0; };
    return bytes.size() >= end && same(0, 2) && same(0x3C, 0x40) && same(nt, end);
}

// A real image whose optional header is the record Header: the 32-bit or the 64-bit image,
// which every build has.
template <class Header> std::string RealImage()
{
    const char* file = sizeof(Header) == sizeof(IMAGE_OPTIONAL_HEADER64) ? "fx_x64.dll" : "fx_x86.dll";
    std::string bytes = fixtures::ReadBytes(fixtures::Directory() + file);
    REQUIRE(bytes.size() > 8192);
    return bytes;
}

// The optional header size of the other kind of image.
template <class Header> WORD OtherHeaderSize()
{
    return sizeof(Header) == sizeof(IMAGE_OPTIONAL_HEADER64) ? sizeof(IMAGE_OPTIONAL_HEADER32)
                                                              : sizeof(IMAGE_OPTIONAL_HEADER64);
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
    // Texts that others wrote stay on the line, each control shown (every form is a row of the
    // table of paths/TextForms), in the header too.
    CHECK(ModuleLine("C:\\a\tb.dll", "1\r\n2", "x)\nC:\\f.dll\t(V6") ==
          "C:\\a<U+0009>b.dll\t(V1<U+000D><U+000A>2, x)<U+000A>C:\\f.dll<U+0009>(V6)\n");
    CHECK(ReportHeader("a\r\n\x1B[2J.exe") == "Module zum Prozess: a<U+000D><U+000A><U+001B>[2J.exe\n\n");

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
        // A module without a description holds no text for one, not even its version's.
        ModuleVersion version = ReadModuleVersion(path.c_str());
        CHECK_MESSAGE(version.hasDescription == (fixture.description != nullptr), std::string(fixture.file));
        if (!fixture.description)
            CHECK_MESSAGE(std::string(version.description).empty(), std::string(fixture.file));
    }

    std::string folder = fixtures::FreshTempFolder("quendrix-lines");

    // The header's size decides which record holds the version, not its magic: an image whose
    // magic names the other kind states what its size calls for, in either build. (Whether the
    // system still reads its version resource is the system's affair.)
    struct Forged { const char* from; WORD magic; const char* version; } forgeries[] = {
        {"fx_x64.dll", IMAGE_NT_OPTIONAL_HDR32_MAGIC, "(V0.00"},
        {"fx_x86.dll", IMAGE_NT_OPTIONAL_HDR64_MAGIC, "(V5.01"},
    };
    for (const Forged& f : forgeries) {
        std::string bytes = fixtures::ReadBytes(fixtures::Directory() + f.from);
        REQUIRE(bytes.size() > 4096);
        std::memcpy(&bytes[static_cast<size_t>(NewHeaderOf(bytes)) + 0x18], &f.magic, sizeof f.magic);
        std::string path = folder + "forged " + f.from;
        fixtures::WriteBytes(path, bytes);
        std::string line(ComposeModuleLine(path.c_str()));
        CHECK_MESSAGE(line.rfind(path + "\t" + f.version, 0) == 0, line);
    }

    // A header cut short states no version. The 64-bit program reads 64-bit headers; the 32-bit
    // program never reads them and states 0.00 for any 64-bit image.
    struct Cut { const char* from; const char* version; } cuts[] = {
        {"fx_x86.dll", "(Vunknown)"},
        {"fx_x64.dll", sizeof(void*) == 8 ? "(Vunknown)" : "(V0.00)"},
    };
    for (const Cut& c : cuts) {
        std::string bytes = fixtures::ReadBytes(fixtures::Directory() + c.from);
        REQUIRE(bytes.size() > 4096);
        bytes.resize(static_cast<size_t>(NewHeaderOf(bytes)) + 0x18 + 100);
        std::string path = folder + "cut " + c.from;
        fixtures::WriteBytes(path, bytes);
        CHECK(std::string(ComposeModuleLine(path.c_str())) == path + "\t" + c.version + "\n");
    }

    // A module named like a device is read as its file, never as the device ("nul.dll" would
    // read as empty, "com1.dll" as a port that may never answer).
    for (const char* name : {"com1.dll", "NUL.dll", "aux .dll", "lpt9.tar.gz"}) {
        const std::string path = folder + name;
        const std::wstring exact = testing::Wide("\\\\?\\" + path);
        REQUIRE(::CopyFileW(testing::Wide(fixtures::PathOf(fixtures::All()[0])).c_str(), exact.c_str(), TRUE));
        CHECK(std::string(ComposeModuleLine(path.c_str())) == fixtures::Line(path, "2.1.0.7", "Sample Library"));
        ::DeleteFileW(exact.c_str());
    }

    // A file that cannot be read states no version; in particular not the version of the file
    // before it.
    fixtures::WriteBytes(folder + "empty.dll", "");
    fixtures::WriteBytes(folder + "text.dll", "no image at all");
    const std::string paths[] = {folder + "vanished.dll", folder + "empty.dll", folder + "text.dll",
                                 folder};
    for (const std::string& path : paths) {
        ComposeModuleLine(fixtures::PathOf(fixtures::All()[2]).c_str());  // fx_desc: 5.01
        CHECK(std::string(ComposeModuleLine(path.c_str())) == path + "\t(Vunknown)\n");
    }
}

TEST_CASE("the optional headers of real 32-bit and 64-bit images")
{
    const std::string x86 = fixtures::Directory() + "fx_x86.dll";
    const std::string x64 = fixtures::Directory() + "fx_x64.dll";
    IMAGE_OPTIONAL_HEADER32 header;
    std::memset(&header, 0xCC, sizeof header);
    REQUIRE(ReadOptionalHeader(x86.c_str(), &header));
    CHECK(header.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    CHECK(header.MajorImageVersion == 5);
    CHECK(header.MinorImageVersion == 1);
    CHECK(ImageVersionText(header) == "5.01");

    IMAGE_OPTIONAL_HEADER64 wide;
    std::memset(&wide, 0xCC, sizeof wide);
    REQUIRE(ReadOptionalHeader(x64.c_str(), &wide));
    CHECK(wide.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    CHECK(wide.MajorImageVersion == 7);
    CHECK(wide.MinorImageVersion == 5);
    CHECK(ImageVersionText(wide) == "7.05");

    // Each record is read only from an image whose optional header has its size: the other
    // kind of image gives all zeros.
    std::memset(&header, 0xCC, sizeof header);
    CHECK(ReadOptionalHeader(x64.c_str(), &header));
    CHECK(RecordBytes(header) == Zeros<IMAGE_OPTIONAL_HEADER32>());
    std::memset(&wide, 0xCC, sizeof wide);
    CHECK(ReadOptionalHeader(x86.c_str(), &wide));
    CHECK(RecordBytes(wide) == Zeros<IMAGE_OPTIONAL_HEADER64>());

    std::memset(&header, 0xCC, sizeof header);
    CHECK_FALSE(ReadOptionalHeader((fixtures::Directory() + "no such file.dll").c_str(), &header));
    CHECK(RecordBytes(header) == Zeros<IMAGE_OPTIONAL_HEADER32>());
}

namespace {

// Boundaries and thousands of mutations of a real image's headers, read into the record Header.
template <class Header> void CheckHostileHeaders()
{
    const std::string image = RealImage<Header>();
    const size_t nt = static_cast<size_t>(NewHeaderOf(image));
    const size_t end = nt + 0x18 + sizeof(Header);
    testing::GuardedBuffer buffer(64 * 1024);

    // Boundaries, each with its expected outcome written out.
    struct Case { std::string bytes; bool read; bool zeros; const char* what; };
    std::string past = image.substr(0, 4096);
    SetNewHeader(past, 4096 - 0x18 - 100);
    SetOptionalSize(past, 4096 - 0x18 - 100, sizeof(Header));
    std::string sizeAtEnd = image.substr(0, 4096);
    SetNewHeader(sizeAtEnd, 4096 - 0x18);
    SetOptionalSize(sizeAtEnd, 4096 - 0x18, OtherHeaderSize<Header>());
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
        {sizeAtEnd, true, true, "one page, the other header size at the very end"},
        {negative, false, true, "negative offset"},
        {wrapping, false, true, "offset near 2 GB"},
        {"ZM" + image.substr(2, 4094), false, true, "no DOS signature"},
    };
    for (const Case& c : cases) {
        Header header;
        std::memset(&header, 0xCC, sizeof header);
        bool read = ParseOptionalHeader(buffer.Place(c.bytes), c.bytes.size(), &header);
        CHECK_MESSAGE(read == c.read, c.what);
        CHECK_MESSAGE(RecordBytes(header) == (c.zeros ? Zeros<Header>() : RecordOf<Header>(image)), c.what);
    }

    // Thousands of mutations of the real header: offsets, sizes and lengths at random, page
    // boundaries and the header's own edges included. Whatever the bytes, nothing is read past
    // their end (the guard page), a failed read leaves the record zeroed, and where no byte that
    // the reading depends on changed, the result is the real image's.
    std::mt19937 random(20240607);
    const size_t lengths[] = {0, 1, 2, 63, 64, 65, nt, nt + 0x16, nt + 0x18, end - 1, end, end + 1,
                              4095, 4096, 4097, 8191, 8192, 8193};
    int intact = 0;
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
            SetOptionalSize(bytes, static_cast<size_t>(offset),
                            (random() % 2) ? static_cast<WORD>(sizeof(Header)) : static_cast<WORD>(random()));
        for (int flips = random() % 4; flips > 0; --flips)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        bytes.resize(length);

        Header header;
        std::memset(&header, 0xCC, sizeof header);  // what a previous module might have left
        bool read = ParseOptionalHeader(buffer.Place(bytes), bytes.size(), &header);
        INFO("mutation " << i << ", size " << bytes.size() << ", e_lfanew " << (bytes.size() >= 64 ? offset : -1));
        if (!read)
            CHECK(RecordBytes(header) == Zeros<Header>());
        if (KeepsHeaderBytes(bytes, image, end)) {
            ++intact;
            CHECK(read);
            CHECK(RecordBytes(header) == RecordOf<Header>(image));
        }
    }
    // Enough of the mutations left the header alone for the last check to mean something.
    CHECK(intact > 300);
}

}  // namespace

TEST_CASE("truncated and hostile headers are never read past their end")
{
    SUBCASE("the 224-byte header of 32-bit images") { CheckHostileHeaders<IMAGE_OPTIONAL_HEADER32>(); }
    SUBCASE("the 240-byte header of 64-bit images") { CheckHostileHeaders<IMAGE_OPTIONAL_HEADER64>(); }
}

TEST_CASE("reading the optional header from files at page boundaries and odd sizes")
{
    const std::string image = RealImage<IMAGE_OPTIONAL_HEADER32>();
    const size_t nt = static_cast<size_t>(NewHeaderOf(image));
    const size_t end = nt + 0x18 + sizeof(IMAGE_OPTIONAL_HEADER32);
    std::string folder = fixtures::FreshTempFolder("quendrix-headers");

    std::string past = image.substr(0, 4096);
    SetNewHeader(past, 4096 - 0x18 - 100);
    SetOptionalSize(past, 4096 - 0x18 - 100, 224);
    // Each file with whether it holds a header to read; the headers read are the image's own.
    struct File { std::string bytes; bool read; } files[] = {
        {"", false}, {"M", false}, {image.substr(0, 63), false}, {image.substr(0, 64), false},
        {image.substr(0, end - 1), false}, {image.substr(0, end), true}, {past, false},
        {image.substr(0, 4095), true}, {image.substr(0, 4096), true}, {image.substr(0, 4097), true},
        {image.substr(0, 8192), true},
    };
    int n = 0;
    for (const File& f : files) {
        std::string path = folder + "case" + std::to_string(n++) + ".dll";
        fixtures::WriteBytes(path, f.bytes);
        IMAGE_OPTIONAL_HEADER32 header;
        std::memset(&header, 0xCC, sizeof header);
        bool read = ReadOptionalHeader(path.c_str(), &header);
        CHECK_MESSAGE(read == f.read, "size " << f.bytes.size());
        if (f.read) {
            CHECK_MESSAGE(header.MajorImageVersion == 5, "size " << f.bytes.size());
            CHECK_MESSAGE(header.MinorImageVersion == 1, "size " << f.bytes.size());
        } else {
            CHECK_MESSAGE(RecordBytes(header) == Zeros<IMAGE_OPTIONAL_HEADER32>(), "size " << f.bytes.size());
        }
    }

    // A file that someone else holds without sharing cannot be opened: no header.
    std::string locked = folder + "locked.dll";
    fixtures::WriteBytes(locked, image);
    HANDLE holder = ::CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    IMAGE_OPTIONAL_HEADER32 header;
    CHECK_FALSE(ReadOptionalHeader(locked.c_str(), &header));
    CHECK(RecordBytes(header) == Zeros<IMAGE_OPTIONAL_HEADER32>());
    ::CloseHandle(holder);
    CHECK(ReadOptionalHeader(locked.c_str(), &header));
    CHECK(header.MajorImageVersion == 5);
}
