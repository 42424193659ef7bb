// Copying module files into real folders: never overwriting, counting every failure.
#include <doctest/doctest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "app/ModuleList.h"
#include "export/ModuleCopy.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "support/Conversion.h"
#include "support/TestSupport.h"

namespace {

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh folder tree under the temp folder: src\a, src\b and an empty target folder.
struct Folders {
    std::string root, a, b, target;
    Folders()
    {
        root = testing::FreshFolder("quendrix-copy");
        a = root + "\\a";
        b = root + "\\b";
        target = root + "\\target";
        for (const std::string& dir : {root, a, b, target})
            ::CreateDirectoryA(dir.c_str(), nullptr);
    }
};

struct ListFixture {
    CPathListBox list;
    ListFixture()
    {
        list.SubclassWindow(::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT, 0, 0, 100, 100,
                                              nullptr, nullptr, nullptr, nullptr));
    }
    ~ListFixture() { list.DestroyWindow(); }
};

}  // namespace

TEST_CASE("destinations are the folder and the file's own name, never a cut path")
{
    struct Case { const char* folder; const char* source; const char* destination; } cases[] = {
        {"C:\\", "C:\\WINNT\\system32\\ntdll.dll", "C:\\ntdll.dll"},
        {"C:\\temp", "C:\\WINNT\\system32\\ntdll.dll", "C:\\temp\\ntdll.dll"},
        {"c:\\temp\\", "C:\\WINNT\\system32\\ntdll.dll", "c:\\temp\\ntdll.dll"},
        {"D:/out/", "C:\\x\\README", "D:/out/README"},
        {"C:\\t", "relative.dll", "C:\\t\\relative.dll"},
        {"C:", "C:\\x\\a.dll", "C:a.dll"},  // the drive's current folder, not its root
        {"", "C:\\x\\a.dll", "a.dll"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.folder);
        char destination[MAX_PATH] = "";
        REQUIRE(ComposeDestination(c.folder, c.source, destination));
        CHECK(std::string(destination) == c.destination);
        // Whole paths join by the same rule.
        const std::string source = c.source;
        CHECK(PathInFolder(ToWide(c.folder), ToWide(source.substr(source.find_last_of("\\/") + 1))) ==
              ToWide(c.destination));
    }
    // 259 characters fit the buffer with its terminator; 260 do not.
    std::string folder = "C:\\" + std::string(250, 'f');
    char destination[MAX_PATH] = "untouched";
    CHECK(ComposeDestination(folder.c_str(), "C:\\x\\abcd.dll", destination) == false);
    CHECK(std::string(destination) == "untouched");
    CHECK(ComposeDestination(folder.c_str(), "C:\\x\\abc.d", destination));
    CHECK(std::string(destination).size() == 259);
}

TEST_CASE("the closing message says what was copied, exactly")
{
    CHECK(std::string(CopyResultMessage(0, "notepad.exe", "C:\\temp")) ==
          "All Modules used by notepad.exe copied in C:\\temp");
    CHECK(std::string(CopyResultMessage(3, "notepad.exe", "c:\\temp\\")) ==
          "3 of the Files used by notepad.exe couldn't be copied\n"
          " Check if c:\\temp\\ doesn't already contain any of the files to be copied");
}

TEST_CASE("files are copied byte for byte, and nothing existing is ever changed")
{
    Folders f;
    WriteFile(f.a + "\\one.dll", "first module");
    WriteFile(f.a + "\\two.dll", std::string("second\0module", 13));
    WriteFile(f.a + "\\noext", "no extension");
    WriteFile(f.b + "\\one.dll", "another one.dll");
    ListFixture l;

    // An empty list copies nothing and fails nothing.
    CHECK(CopyModuleFiles(l.list, f.target.c_str()) == 0);

    for (const char* name : {"\\one.dll", "\\two.dll", "\\noext"})
        l.list.AddItem((f.a + name).c_str(), 0);
    CHECK(CopyModuleFiles(l.list, f.target.c_str()) == 0);
    CHECK(testing::FileContent(f.target + "\\one.dll") == "first module");
    CHECK(testing::FileContent(f.target + "\\two.dll") == std::string("second\0module", 13));
    CHECK(testing::FileContent(f.target + "\\noext") == "no extension");

    // The same modules again: every copy fails and the copies stay as they were.
    WriteFile(f.target + "\\two.dll", "changed by the user");
    CHECK(CopyModuleFiles(l.list, f.target.c_str()) == 3);
    CHECK(testing::FileContent(f.target + "\\two.dll") == "changed by the user");

    // Two modules of one file name: the first in the list is copied, the other counted.
    std::string second = f.root + "\\second";
    ::CreateDirectoryA(second.c_str(), nullptr);
    ListFixture same;
    same.list.AddItem((f.a + "\\one.dll").c_str(), 0);
    same.list.AddItem((f.b + "\\one.dll").c_str(), 0);
    char firstPath[MAX_PATH];
    same.list.GetItemPath(0, firstPath);
    CHECK(CopyModuleFiles(same.list, second.c_str()) == 1);
    CHECK(testing::FileContent(second + "\\one.dll") == testing::FileContent(firstPath));

    // A missing target folder fails every copy.
    CHECK(CopyModuleFiles(l.list, (f.root + "\\missing").c_str()) == 3);
    CHECK_FALSE(Exists(f.root + "\\missing"));

    // A module named like a device is copied from its file into a file: "nul.dll" would copy
    // the null device's nothing into the null device.
    const std::wstring device = testing::Wide("\\\\?\\" + f.b + "\\nul.dll");
    const std::wstring copied = testing::Wide("\\\\?\\" + f.target + "\\nul.dll");
    REQUIRE(::CopyFileW(testing::Wide(f.a + "\\one.dll").c_str(), device.c_str(), TRUE));
    CHECK(static_cast<int>(CopyModuleFile((f.b + "\\nul.dll").c_str(), f.target.c_str()).status) ==
          static_cast<int>(CopyStatus::Copied));
    CHECK(testing::FileContent(copied) == "first module");
    ::DeleteFileW(device.c_str());
    ::DeleteFileW(copied.c_str());
}

TEST_CASE("entries without a path and over-long destinations count as failed, copying nothing else")
{
    Folders f;
    WriteFile(f.a + "\\keep.dll", "keep");
    WriteFile(f.a + "\\lost.dll", "lost");
    ListFixture l;
    l.list.AddItem((f.a + "\\keep.dll").c_str(), 0);
    l.list.AddItem((f.a + "\\lost.dll").c_str(), 0);
    l.list.FreeItemData(1);  // lost.dll's entry has no path any more
    CHECK(CopyModuleFiles(l.list, f.target.c_str()) == 1);
    CHECK(testing::FileContent(f.target + "\\keep.dll") == "keep");
    CHECK_FALSE(Exists(f.target + "\\lost.dll"));

    // A folder so deep that folder + name would not fit: no copy at all, not even a cut one. The
    // folder is 253 characters long whatever the temporary folder's length, so that the cut
    // ends inside the name, never at one of these folders.
    std::string deep = f.target;
    while (deep.size() < 253) {
        deep += "\\" + std::string(deep.size() + 22 < 253 ? 20 : 252 - deep.size(), 'd');
        ::CreateDirectoryA(deep.c_str(), nullptr);
    }
    std::string cut = (deep + "\\keep.dll").substr(0, MAX_PATH - 1);
    ListFixture one;
    one.list.AddItem((f.a + "\\keep.dll").c_str(), 0);
    CHECK(CopyModuleFiles(one.list, deep.c_str()) == 1);
    CHECK_FALSE(Exists(cut));
}

TEST_CASE("a copy that fills the disk leaves no file behind, and a file that was there stays")
{
    // A real volume of 1 MB, mounted by script/test.
    const char* volume = std::getenv("QUENDRIX_SMALL_VOLUME");
    REQUIRE_MESSAGE(volume != nullptr, "QUENDRIX_SMALL_VOLUME is not set: run the tests through script/test");
    std::string target = std::string(volume) + "\\copy-" + std::to_string(::GetCurrentProcessId());
    REQUIRE(::CreateDirectoryA(target.c_str(), nullptr));
    Folders f;
    const std::string big(3 * 1024 * 1024, 'm');
    WriteFile(f.a + "\\big.dll", big);
    WriteFile(f.a + "\\small.dll", "small module");
    WriteFile(f.b + "\\kept.dll", big);
    WriteFile(f.b + "\\same.dll", "there before");
    WriteFile(target + "\\kept.dll", "there before");
    WriteFile(target + "\\gone.dll", "there before");
    WriteFile(target + "\\same.dll", "there before");

    // The dialog's copy (ANSI paths) goes first; the console's (whole paths, through a name of
    // its own) follows into the same folder, and tells a file of that name by its bytes.
    struct Case {
        const char* source;
        CopyStatus status, wholeStatus;
        const char* left;  // what the folder holds under that name afterwards
    } cases[] = {
        {"a\\big.dll", CopyStatus::Failed, CopyStatus::Failed, "<missing>"},
        {"a\\small.dll", CopyStatus::Copied, CopyStatus::AlreadyThere, "small module"},
        {"b\\kept.dll", CopyStatus::AlreadyThere, CopyStatus::Different, "there before"},
        {"b\\same.dll", CopyStatus::AlreadyThere, CopyStatus::AlreadyThere, "there before"},
        {"a\\gone.dll", CopyStatus::Failed, CopyStatus::Failed, "there before"},  // no such source
    };
    for (const Case& c : cases) {
        CAPTURE(c.source);
        std::string source = f.root + "\\" + c.source;
        CopyOutcome outcome = CopyModuleFile(source.c_str(), target.c_str());
        CHECK(static_cast<int>(outcome.status) == static_cast<int>(c.status));
        CHECK((outcome.error == 0) == (c.status == CopyStatus::Copied));
        CopyOutcome whole = CopyModuleFile(testing::Wide(source), testing::Wide(target));
        CHECK(static_cast<int>(whole.status) == static_cast<int>(c.wholeStatus));
        // Compared by a short account: a truncated copy would flood the report.
        std::string left = testing::FileContent(target + source.substr(source.rfind('\\')));
        CHECK(std::to_string(left.size()) + " bytes: " + left.substr(0, 16) ==
              std::to_string(std::strlen(c.left)) + " bytes: " + c.left);
    }
    // Nothing else is left in the folder: no cut copy under a name of its own either.
    CHECK(testing::FileNames(target) == std::set<std::string>{"gone.dll", "kept.dll", "same.dll", "small.dll"});

    for (const char* name : {"\\small.dll", "\\kept.dll", "\\gone.dll", "\\same.dll"})
        ::DeleteFileA((target + name).c_str());
    CHECK(::RemoveDirectoryA(target.c_str()));
}
