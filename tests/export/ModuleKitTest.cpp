// The kit's rules without a process: which files count as the system's own, by the folders
// that the system itself names, which names the manifest takes, and what the folder's probe
// leaves.
#include <doctest/doctest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "export/ModuleKit.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "paths/SystemFolders.h"
#include "support/TestSupport.h"

TEST_CASE("system files are those in the Windows folder and under the system folders")
{
    wchar_t windows[MAX_PATH] = L"", system[MAX_PATH] = L"";
    REQUIRE(::GetWindowsDirectoryW(windows, MAX_PATH) > 0);
    REQUIRE(::GetSystemDirectoryW(system, MAX_PATH) > 0);
    const std::wstring w = windows, s = system;
    std::wstring lowered = s;
    ::CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
    struct Case { std::wstring path; bool system; } cases[] = {
        {w + L"\\notepad.exe", true},
        {s + L"\\kernel32.dll", true},
        {s + L"\\wbem\\wbemcomn.dll", true},
        {lowered + L"\\KERNEL32.DLL", true},
        {w + L"\\SysWOW64\\kernel32.dll", true},
        {w + L"\\WinSxS\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0\\comctl32.dll", true},
        {w + L"\\system\\commdlg.dll", true},
        {w + L"\\Temp\\plugin.dll", false},
        {w + L"\\Microsoft.NET\\Framework\\v2.0.50727\\mscorwks.dll", false},
        {w + L"x\\notepad.exe", false},
        {L"C:\\Programme\\App\\plugin.dll", false},
        {L"plugin.dll", false},
    };
    for (const Case& c : cases)
        CHECK_MESSAGE(InSystemFolder(c.path) == c.system, FromWide(c.path, CP_UTF8));
}

TEST_CASE("the manifest takes a name that no module has and no file in the folder")
{
    const std::string owned = testing::FreshFolder("quendrix-kit-names");
    const std::wstring folder = ToWide(owned);
    auto module = [](const wchar_t* path) { return ModuleEntry{CString(FromWide(path).c_str()), path, true, 0}; };
    KitNames names;
    REQUIRE(ChooseKitNames(folder, {module(L"C:\\App\\a.dll")}, names));
    CHECK(names.report == L"QuendrixKit.report.txt");
    CHECK(names.list == L"QuendrixKit.copied.csv");

    // A module of the name, in any case, or a file of the folder moves the kit on.
    REQUIRE(ChooseKitNames(folder, {module(L"C:\\App\\a.dll"), module(L"D:\\x\\QUENDRIXKIT.COPIED.CSV")}, names));
    CHECK(names.report == L"QuendrixKit-2.report.txt");
    std::ofstream(owned + "\\QuendrixKit-2.report.txt") << "an earlier kit";
    std::ofstream(owned + "\\QuendrixKit-3.copied.csv") << "another";
    REQUIRE(ChooseKitNames(folder, {module(L"D:\\x\\quendrixkit.report.txt")}, names));
    CHECK(names.report == L"QuendrixKit-4.report.txt");
    CHECK(names.list == L"QuendrixKit-4.copied.csv");
    // So does a link to nothing (made by the build: a test under Wine cannot make one), which
    // stays as it was.
    const std::wstring dangling = ToWide(testing::ExeDirectory() + "dangling");
    REQUIRE(ChooseKitNames(dangling, {}, names));
    CHECK(names.report == L"QuendrixKit-2.report.txt");
    CHECK(::GetFileAttributesW((dangling + L"\\QuendrixKit.report.txt").c_str()) == INVALID_FILE_ATTRIBUTES);
    HANDLE link = ::CreateFileW((dangling + L"\\QuendrixKit.report.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(link == INVALID_HANDLE_VALUE);
    CHECK(::GetLastError() == ERROR_FILE_EXISTS);
}

TEST_CASE("a kit tells a module it cannot read from a copy that the folder refuses")
{
    const std::string owned = testing::FreshFolder("quendrix-kit-copy");
    const std::wstring folder = ToWide(owned);
    wchar_t system[MAX_PATH] = L"";
    REQUIRE(::GetSystemDirectoryW(system, MAX_PATH) > 0);
    auto module = [](const std::wstring& path) { return ModuleEntry{CString(FromWide(path).c_str()), path, true, 0}; };
    const ModuleEntry kernel32 = module(std::wstring(system) + L"\\kernel32.dll");
    const std::wstring copy = folder + L"\\kernel32.dll";

    KitEntry left = CopyIntoKit(kernel32, folder, true);
    CHECK(left.outcome == KitOutcome::SystemFile);
    CHECK(::GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(CopyIntoKit(kernel32, folder, false).outcome == KitOutcome::Copied);
    CHECK(::GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES);
    CHECK(CopyIntoKit(kernel32, folder, false).outcome == KitOutcome::AlreadyThere);

    KitEntry gone = CopyIntoKit(module(folder + L"\\gone.dll"), folder, false);
    CHECK(gone.outcome == KitOutcome::Unreadable);
    CHECK(gone.copy.error == ERROR_FILE_NOT_FOUND);
    KitEntry refused = CopyIntoKit(kernel32, folder + L"\\missing", false);
    CHECK(refused.outcome == KitOutcome::NotCopied);
    CHECK(refused.copy.error == ERROR_PATH_NOT_FOUND);

    // A file of the module's name is its copy only with its bytes: another stays as it was and
    // the module is not copied.
    std::ofstream(owned + "\\other.dll") << "another file";
    const std::string elsewhere = testing::FreshFolder("quendrix-kit-stray");
    std::ofstream(elsewhere + "\\other.dll") << "the module";
    KitEntry different = CopyIntoKit(module(ToWide(elsewhere) + L"\\other.dll"), folder, false);
    CHECK(different.outcome == KitOutcome::NotCopied);
    CHECK(static_cast<int>(different.copy.status) == static_cast<int>(CopyStatus::Different));
    CHECK(testing::FileContent(owned + "\\other.dll") == "another file");

    // A stray probe of the folder that bears a module's name, in any case, is no copy of it,
    // even with the module's bytes.
    std::ofstream(elsewhere + "\\~Q123") << "";
    std::ofstream(owned + "\\~q123") << "";
    const ModuleEntry named = module(ToWide(elsewhere) + L"\\~Q123");
    CHECK(CopyIntoKit(named, folder, false).outcome == KitOutcome::AlreadyThere);
    KitEntry probed = CopyIntoKit(named, folder, false, folder + L"\\~q123");
    CHECK(probed.outcome == KitOutcome::NotCopied);
    CHECK(probed.copy.error == ERROR_FILE_EXISTS);
    CHECK(testing::FileContent(owned + "\\~q123").empty());
}

namespace {

// A removal that the system refuses, as it does for a file that another program holds open.
bool RefusingRemoval(const std::wstring&)
{
    ::SetLastError(ERROR_SHARING_VIOLATION);
    return false;
}

}  // namespace

TEST_CASE("the folder's probe is gone afterwards, or named where it stays")
{
    const std::wstring folder = ToWide(testing::FreshFolder("quendrix-kit-probe"));
    struct Case {
        const char* name;
        std::wstring folder;
        FileRemover remove;
        bool writable;
        DWORD error;
        bool stays;
    } cases[] = {
        {"removed", folder, DeleteFileOf, true, 0, false},
        {"not removable", folder, RefusingRemoval, true, ERROR_SHARING_VIOLATION, true},
        {"no such folder", folder + L"\\missing", DeleteFileOf, false, ERROR_PATH_NOT_FOUND, false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const FolderProbe probe = ProbeFolder(c.folder, c.remove);
        CHECK(probe.writable == c.writable);
        CHECK(probe.error == c.error);
        CHECK(probe.stray.empty() == !c.stays);
        // The stray is an empty file in the folder, and the folder holds nothing else.
        std::set<std::string> expected;
        if (c.stays) {
            CHECK(probe.stray.substr(0, FolderLength(probe.stray)) == folder + L"\\");
            CHECK(testing::FileContent(probe.stray).empty());
            expected.insert(FromWide(DisplayNameOf(probe.stray)));
        }
        CHECK(testing::FileNames(FromWide(folder)) == expected);
        if (c.stays)
            ::DeleteFileW(probe.stray.c_str());
    }
}
