// Replacing a file through a new one beside it, on systems with and without MoveFileExA: the
// target is either the new file or exactly what it was, and nothing else stays behind.
#include <doctest/doctest.h>

#include <fstream>
#include <set>
#include <string>

#include "export/FileReplace.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
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

// Renames as the system does, but never to a target's name: as when another program takes the
// name meanwhile, so that neither the new file nor the old one can have it.
bool NeverToTarget(const std::wstring& from, const std::wstring& to)
{
    const std::wstring name = DisplayNameOf(to);
    if (name == L"target.txt" || name == L"kept.txt") {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return MoveFileOf(from, to);
}

std::wstring Wide(const std::string& path)
{
    return ToWide(path);
}

}  // namespace

TEST_CASE("a replaced file is the new one or the old one, with or without MoveFileExA")
{
    struct Case {
        const char* name;
        bool targetThere, sourceThere, replace;
        FileMover mover;
        FileStep step;
        bool replaced;
        bool stranded;  // the old file cannot come back: it stays aside, and its name is given
    } cases[] = {
        {"new target", false, true, false, BoundMoveFileEx(), MoveFileOf, true, false},
        {"existing target, not asked to replace", true, true, false, BoundMoveFileEx(), MoveFileOf, false, false},
        {"existing target replaced in one step", true, true, true, BoundMoveFileEx(), MoveFileOf, true, false},
        {"no MoveFileExA: the old file steps aside", true, true, true, nullptr, MoveFileOf, true, false},
        {"a MoveFileExA that is not implemented", true, true, true, NotImplemented, MoveFileOf, true, false},
        {"a MoveFileExA that refuses", true, true, true, Refusing, MoveFileOf, false, false},
        {"no MoveFileExA, no source: the old file comes back", true, false, true, nullptr, MoveFileOf, false, false},
        {"no MoveFileExA, the target's name taken: the old file stays aside", true, true, true, nullptr,
         NeverToTarget, false, true},
        {"not implemented, the target's name taken: the old file stays aside", true, true, true, NotImplemented,
         NeverToTarget, false, true},
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
        std::wstring aside = L"stale";
        bool replaced = ReplaceFileWith(Wide(target), Wide(source), c.replace, aside, c.mover, c.step);
        CHECK(replaced == c.replaced);
        CHECK(testing::FileContent(target) ==
              (c.replaced ? "new" : c.targetThere && !c.stranded ? "old" : "<missing>"));
        // Nothing stepped aside stays behind, unless named: then it is the old file, beside the target.
        std::set<std::string> expected;
        if ((c.targetThere && !c.stranded) || c.replaced)
            expected.insert("target.txt");
        if (c.sourceThere && !c.replaced)
            expected.insert("source.txt");
        if (c.stranded) {
            REQUIRE_FALSE(aside.empty());
            CHECK(FromWide(aside.substr(0, FolderLength(aside))) == folder);
            CHECK(testing::FileContent(FromWide(aside)) == "old");
            expected.insert(FromWide(DisplayNameOf(aside)));
        } else {
            CHECK(aside.empty());
        }
        CHECK(testing::FileNames(folder) == expected);
    }
}

TEST_CASE("a new file that cannot take the target's place leaves no trace")
{
    const std::string folder = testing::FreshFolder("quendrix-replace") + "\\";
    const std::string target = folder + "kept.txt";
    std::ofstream(target, std::ios::binary) << "kept";
    for (FileMover mover : {BoundMoveFileEx(), FileMover(nullptr)}) {
        WriteFailure failure;
        CHECK_FALSE(WriteNewFile(Wide(target), "replacement", false, failure, mover));
        CHECK(failure.error == ERROR_ALREADY_EXISTS);
        CHECK(failure.aside.empty());
        CHECK(WriteNewFile(Wide(target), "replacement", true, failure, mover));
        CHECK(testing::FileContent(target) == "replacement");
        std::ofstream(target, std::ios::binary) << "kept";
        CHECK(testing::FileNames(folder) == std::set<std::string>{"kept.txt"});
    }
    // Where the old file cannot come back, the failure names where it is; the new bytes go.
    WriteFailure failure;
    CHECK_FALSE(WriteNewFile(Wide(target), "replacement", true, failure, nullptr, NeverToTarget));
    CHECK(failure.error == ERROR_ACCESS_DENIED);
    REQUIRE_FALSE(failure.aside.empty());
    CHECK(testing::FileContent(FromWide(failure.aside)) == "kept");
    CHECK(testing::FileNames(folder) == std::set<std::string>{FromWide(DisplayNameOf(failure.aside))});
}
