// Replacing a file through a new one beside it, on systems with and without MoveFileExA: the
// target is either the new file or exactly what it was, and nothing else stays behind.
#include <doctest/doctest.h>

#include <fstream>
#include <set>
#include <string>

#include "export/FileReplace.h"
#include "framework/Encoding.h"
#include "support/FileDialogSupport.h"
#include "support/TestSupport.h"

namespace {

// The Windows 95 family exports its move functions as ones that do nothing.
BOOL WINAPI NotImplemented(LPCWSTR, LPCWSTR, DWORD)
{
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI Refusing(LPCWSTR, LPCWSTR, DWORD)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

std::wstring Wide(const std::string& path)
{
    return ToWide(path);
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    ::FindClose(search);
    return names;
}

}  // namespace

TEST_CASE("a replaced file is the new one or the old one, with or without MoveFileExA")
{
    struct Case {
        const char* name;
        bool targetThere, sourceThere, replace;
        FileMover mover;
        bool replaced;
    } cases[] = {
        {"new target", false, true, false, BoundMoveFileEx(), true},
        {"existing target, not asked to replace", true, true, false, BoundMoveFileEx(), false},
        {"existing target replaced in one step", true, true, true, BoundMoveFileEx(), true},
        {"no MoveFileExA: the old file steps aside", true, true, true, nullptr, true},
        {"a MoveFileExA that is not implemented", true, true, true, NotImplemented, true},
        {"a MoveFileExA that refuses", true, true, true, Refusing, false},
        {"no MoveFileExA, no source: the old file comes back", true, false, true, nullptr, false},
    };
    const bool bound = BoundMoveFileEx() != nullptr;
    REQUIRE(bound);
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const std::string folder = testing::FreshFolder("quendrix-replace") + "\\";
        const std::string target = folder + "target.txt", source = folder + "source.txt";
        if (c.targetThere)
            std::ofstream(target, std::ios::binary) << "old";
        if (c.sourceThere)
            std::ofstream(source, std::ios::binary) << "new";
        bool replaced = ReplaceFileWith(Wide(target), Wide(source), c.replace, c.mover);
        CHECK(replaced == c.replaced);
        CHECK(testing::FileContent(target) == (c.replaced ? "new" : c.targetThere ? "old" : "<missing>"));
        // Nothing stepped aside stays behind.
        std::set<std::string> expected;
        if (c.targetThere || c.replaced)
            expected.insert("target.txt");
        if (c.sourceThere && !c.replaced)
            expected.insert("source.txt");
        CHECK(Names(folder) == expected);
    }
}

TEST_CASE("a new file that cannot take the target's place leaves no trace")
{
    const std::string folder = testing::FreshFolder("quendrix-replace") + "\\";
    const std::string target = folder + "kept.txt";
    std::ofstream(target, std::ios::binary) << "kept";
    for (FileMover mover : {BoundMoveFileEx(), FileMover(nullptr)}) {
        DWORD error = 0;
        CHECK_FALSE(WriteNewFile(Wide(target), "replacement", false, error, mover));
        CHECK(error == ERROR_ALREADY_EXISTS);
        CHECK(WriteNewFile(Wide(target), "replacement", true, error, mover));
        CHECK(testing::FileContent(target) == "replacement");
        std::ofstream(target, std::ios::binary) << "kept";
        CHECK(Names(folder) == std::set<std::string>{"kept.txt"});
    }
}
