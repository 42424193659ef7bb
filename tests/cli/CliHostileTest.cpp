// What a hostile module makes of the console program's output, end to end: a module file named
// like a device (com1.dll) while the prefix's COM1 leads to a pipe that never answers.
#include <doctest/doctest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "cli/CliRun.h"
#include "export/Fixtures.h"
#include "framework/Handles.h"
#include "support/TestSupport.h"

using namespace clitest;

namespace {

// A library loaded from `path` (a whole path) until the end of the case.
struct Loaded {
    HMODULE module;
    explicit Loaded(const std::wstring& path) : module(::LoadLibraryW(path.c_str())) {}
    ~Loaded()
    {
        if (module)
            ::FreeLibrary(module);
    }
};

std::vector<std::string> RowWith(const std::string& csv, size_t column, const std::string& value)
{
    for (const auto& row : CsvRows(csv))
        if (row.at(column) == value)
            return row;
    return {};
}

}  // namespace

TEST_CASE("a module named like a device is read and copied as its file, never opened as the device" *
          doctest::skip())
{
    // The ctest entry leads the prefix's COM1 to a pipe that nobody writes, and back afterwards.
    const std::string folder = fixtures::FreshTempFolder("quendrix-cli-device");
    const std::wstring file = Wide(folder + "com1.dll"), copied = Wide(folder + "kit\\com1.dll");
    REQUIRE(::CopyFileW(Wide(fixtures::Directory() + "fx_full.dll").c_str(), (L"\\\\?\\" + file).c_str(), TRUE));
    {
        Loaded device(L"\\\\?\\" + file);
        REQUIRE(device.module != nullptr);
        // The name as it is reaches the pipe, not the file; opening a pipe does not block, reading
        // the version through it does.
        KernelHandle port(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        REQUIRE(port);
        REQUIRE(::GetFileType(port.Get()) == FILE_TYPE_PIPE);
        port.Close();

        const Run modules = Cli("modules " + Own() + " --csv");
        CHECK(modules.exit == 0);
        const std::vector<std::string> row = RowWith(modules.out, 0, Utf8(file));
        REQUIRE_MESSAGE(row.size() == 5, modules.out);
        CHECK(row[1] == "2.1.0.7");
        CHECK(row[4] == "resource");
        const Run found = Cli("find com1.dll --csv");
        CHECK(found.exit == 0);
        CHECK(Column0(found.out).count(::GetCurrentProcessId()) == 1);
        const Run report = Cli("report " + Own());
        CHECK(report.exit == 0);
        CHECK(report.out.find("\r\n" + Utf8(file) + "\t(V2.1.0.7, Sample Library)\r\n") != std::string::npos);
        const Run stale = Cli("stale " + Own() + " --csv");
        CHECK(RowWith(stale.out, 2, Utf8(file)).empty());
        const Run copy = Cli("copy " + Own() + " \"" + folder + "kit\" --no-system");
        CHECK(copy.exit == 0);
        CHECK(testing::FileContent(L"\\\\?\\" + copied) == testing::FileContent(fixtures::Directory() + "fx_full.dll"));
    }
    // The folder's owner removes what the system names plainly; these it would take for the port.
    ::DeleteFileW((L"\\\\?\\" + copied).c_str());
    ::DeleteFileW((L"\\\\?\\" + file).c_str());
}
