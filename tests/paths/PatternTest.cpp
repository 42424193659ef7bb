// Names as users type them: patterns with * and ?, modules named by file name or path in every
// form, and processes named by id, program name or path.
#include <doctest/doctest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>
#include <windows.h>

#include "enum/ProcessMatch.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "paths/Pattern.h"
#include "support/TestSupport.h"

TEST_CASE("patterns match file names with * and ?, in any case, and modules as users name them")
{
    struct Case { const char* pattern; const char* text; bool match; } cases[] = {
        {"kernel32.dll", "KERNEL32.DLL", true},  {"kernel32.dll", "kernel32.dl", false},
        {"b2*.dll", "b2.dll", true},             {"b2*.dll", "b2xyz.dll", true},
        {"b2*.dll", "b3xyz.dll", false},         {"?.dll", "a.dll", true},
        {"?.dll", "ab.dll", false},              {"*", "", true},
        {"*a*b*c", "xxaybzzc", true},            {"*a*b*c", "xxaybzzcd", false},
        {"a**", "a", true},                      {"", "a", false},
        {"c:\\w*\\*32.dll", "C:\\Windows\\kernel32.dll", true},
        {"\xC3\x84*.dll", "\xC3\xA4rger.DLL", true},  // Ä and ä: case goes beyond ASCII
    };
    for (const Case& c : cases)
        CHECK_MESSAGE(MatchesPattern(ToWide(c.pattern, CP_UTF8), ToWide(c.text, CP_UTF8)) == c.match,
                      c.pattern << " against " << c.text);

    // This process's kernel32.dll, as the system's snapshot names it.
    std::string kernel32;
    for (const std::string& module : testing::OwnModulePaths())
        if (::lstrcmpiA(DisplayNameOf(module.c_str()), "kernel32.dll") == 0)
            kernel32 = module;
    REQUIRE_FALSE(kernel32.empty());
    std::string forward = kernel32;
    for (char& c : forward)
        if (c == '\\')
            c = '/';
    struct Typed { std::string typed, path; bool match; } typed[] = {
        {"kernel32", "C:\\windows\\system32\\KERNEL32.dll", true},
        {"kernel32", "C:\\windows\\system32\\kernel32x.dll", false},
        {"notepad", "C:\\windows\\notepad.exe", true},
        {"c:/windows/system32/kernel32.dll", "C:\\Windows\\System32\\kernel32.dll", true},
        {"\\\\?\\C:\\a\\b.dll", "C:\\a\\b.dll", true},
        {"\\\\?\\UNC\\srv\\share\\b.dll", "\\\\srv\\share\\b.dll", true},
        {"C:\\a\\b.dll", "D:\\a\\b.dll", false},
        {"b.dll", "C:\\a\\b.dll", true},
        {"b*", "C:\\a\\b.dll", true},
        {"KERNEL3?.*", kernel32, true},
        {"*nel32.d*", kernel32, true},
        {kernel32, kernel32, true},
        {forward, kernel32, true},
        {"\\\\?\\" + kernel32, kernel32, true},
    };
    for (const Typed& c : typed)
        CHECK_MESSAGE(ModulePattern(ToWide(c.typed)).Matches(ToWide(c.path)) == c.match, c.typed << " against " << c.path);
}

TEST_CASE("a process is named by its id, by its program's name in any form, or by its path in any form")
{
    // A program in a folder whose name is no 8.3 name, run twice, and another program.
    const std::string folder = testing::FreshFolder("quendrix-process-names"), name = folder.substr(folder.rfind('\\') + 1);
    const std::string program = folder + "\\sleeping-programs\\sleeper.exe";
    REQUIRE(::CreateDirectoryA((folder + "\\sleeping-programs").c_str(), nullptr));
    REQUIRE((std::ofstream(program, std::ios::binary) << "MZ"));
    char shortName[MAX_PATH] = "";
    REQUIRE(::GetShortPathNameA(program.c_str(), shortName, MAX_PATH) > 0);
    REQUIRE(::lstrcmpiA(shortName, program.c_str()) != 0);
    std::string forward = program;
    for (char& c : forward)
        if (c == '\\')
            c = '/';
    const std::vector<ProcessRecord> processes = {
        {11, ToWide(program), 32}, {12, ToWide(program), 32}, {13, L"C:\\other\\program.exe", 32}, {14, L"", 0}};
    const std::set<DWORD> both = {11, 12}, none;
    struct Case { std::string name; std::set<DWORD> ids; } cases[] = {
        {"11", {11}},
        {"4294967295", none},
        {"99999999999", none},
        {"sleeper.exe", both},
        {"SLEEPER", both},
        {"sl*er", both},
        {program, both},
        {forward, both},
        {"\\\\?\\" + program, both},
        {shortName, both},
        // Relative to the current folder.
        {"sleeping-programs\\sleeper", both},
        {"..\\" + name + "\\sleeping-programs/SLEEPER.EXE", both},
        {"sleeping-programs\\sleeper.com", none},
        {"program", {13}},
    };
    testing::CurrentFolder current(folder);
    for (const Case& c : cases) {
        std::set<DWORD> ids;
        for (const ProcessRecord& match : MatchProcesses(processes, ToWide(c.name)))
            ids.insert(match.id);
        CHECK_MESSAGE(ids == c.ids, c.name);
    }
}
