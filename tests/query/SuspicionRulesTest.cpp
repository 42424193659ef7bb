// The rules on loaded modules against a table of paths, processes and folders worked out by hand,
// and the list of expected locations against rows good and bad: no process, no file needed.
#include <doctest/doctest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "framework/Encoding.h"
#include "query/SuspicionRules.h"
#include "support/GuardedBuffer.h"

namespace {

// A 64-bit system as a user "ann" has it.
SystemPlaces Places(int ownBits)
{
    SystemPlaces places;
    places.folders = {L"c:\\windows\\", L"c:\\windows\\system32\\", L"c:\\windows\\syswow64\\",
                      L"c:\\windows\\winsxs\\"};
    places.classes.programFiles = L"c:\\program files\\";
    places.classes.programFilesX86 = L"c:\\program files (x86)\\";
    places.classes.programData = L"c:\\programdata\\";
    places.classes.appData = L"c:\\users\\ann\\appdata\\roaming\\";
    places.classes.localAppData = L"c:\\users\\ann\\appdata\\local\\";
    places.classes.userTemp = L"c:\\users\\ann\\appdata\\local\\temp\\";
    places.classes.systemTemp = L"c:\\windows\\temp\\";
    places.classes.downloads = L"c:\\users\\ann\\downloads\\";
    places.classes.publicFolder = L"c:\\users\\public\\";
    places.knownDlls = {L"kernel32.dll", L"user32.dll"};
    places.knownDlls32 = {L"wowonly.dll"};
    places.ownBits = ownBits;
    return places;
}

// The files of the system folders, and the original names that version resources state.
const std::set<std::wstring> kSystemFiles = {
    L"c:\\windows\\system32\\version.dll", L"c:\\windows\\syswow64\\version.dll", L"c:\\windows\\system32\\kernel32.dll",
    L"c:\\windows\\syswow64\\kernel32.dll", L"c:\\windows\\system32\\sixtyfour.dll", L"c:\\windows\\syswow64\\wowonly.dll",
    L"c:\\windows\\system32\\svchost.exe"};
const std::map<std::wstring, std::wstring> kOriginalNames = {
    {L"C:\\Tools\\renamed.dll", L"other.dll"}, {L"C:\\Tools\\Cased.dll", L"CASED.DLL"},
    {L"C:\\Tools\\lang.dll", L"lang.dll.mui"}};

const char* Name(Finding finding)
{
    const char* names[] = {"known-dll", "side-load", "shadows", "drop", "renamed", "not-expected"};
    return names[static_cast<int>(finding)];
}
const char* Name(Severity severity)
{
    const char* names[] = {"low", "medium", "high"};
    return names[static_cast<int>(severity)];
}
const char* Name(DropFolder drop)
{
    const char* names[] = {"", "user-temp", "system-temp", "downloads", "public", "recycle-bin"};
    return names[static_cast<int>(drop)];
}

std::string Utf8(const std::wstring& text)
{
    return FromWide(text, CP_UTF8);
}

// The findings, each as "finding severity detail", "; " between.
std::string Described(const std::vector<Judgement>& found)
{
    std::string text;
    for (const Judgement& judgement : found)
        text += std::string(text.empty() ? "" : "; ") + Name(judgement.finding) + " " + Name(judgement.severity) + " " +
                (judgement.finding == Finding::DropFolder ? Name(judgement.drop) : Utf8(judgement.detail));
    return text;
}

}  // namespace

TEST_CASE("the rules find known DLLs from elsewhere, shadows, side-loads, drop folders, renames and unexpected places")
{
    const Severity low = Severity::Low, medium = Severity::Medium, high = Severity::High;
    struct Case {
        const wchar_t* program;
        int bits;
        const wchar_t* module;
        Severity minimum;
        const char* want;
        int ownBits = 64;
        const char* list = nullptr;  // the list of expected locations
    } cases[] = {
        {L"C:\\Tools\\app.exe", 64, L"C:\\Windows\\System32\\kernel32.dll", low, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\KERNEL32.DLL", medium, "known-dll high c:\\windows\\system32\\kernel32.dll"},
        {L"C:\\Tools\\app.exe", 32, L"C:\\Tools\\kernel32.dll", medium, "known-dll high c:\\windows\\syswow64\\kernel32.dll"},
        // The list for 32-bit processes only; a 64-bit process has no system file of that name.
        {L"C:\\Tools\\app.exe", 32, L"C:\\Tools\\plugins\\wowonly.dll", medium,
         "known-dll high c:\\windows\\syswow64\\wowonly.dll"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\plugins\\wowonly.dll", medium, ""},
        // The system's own folders never count.
        {L"C:\\Tools\\app.exe", 64, L"C:\\Windows\\WinSxS\\x86_common\\kernel32.dll", low, ""},
        {L"C:\\Tools\\app.exe", 32, L"C:\\Windows\\System32\\kernel32.dll", low, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Windows\\version.dll", low, ""},
        // Beside its program: outside the Windows and program folders a side-load, inside a shadow.
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\version.dll", medium, "side-load high c:\\windows\\system32\\version.dll"},
        {L"C:\\Tools\\app.exe", 32, L"C:\\Tools\\Version.DLL", high, "side-load high c:\\windows\\syswow64\\version.dll"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\plugins\\version.dll", medium,
         "shadows medium c:\\windows\\system32\\version.dll"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\plugins\\version.dll", high, ""},
        {L"C:\\Program Files\\App\\app.exe", 64, L"C:\\Program Files\\App\\version.dll", medium,
         "shadows medium c:\\windows\\system32\\version.dll"},
        {L"C:\\Program Files (x86)\\App\\app.exe", 32, L"C:\\Program Files (x86)\\App\\version.dll", medium,
         "shadows medium c:\\windows\\syswow64\\version.dll"},
        {L"C:\\Windows\\App\\app.exe", 64, L"C:\\Windows\\App\\version.dll", medium,
         "shadows medium c:\\windows\\system32\\version.dll"},
        {L"", 0, L"C:\\Tools\\version.dll", medium, "shadows medium c:\\windows\\system32\\version.dll"},
        // Each process's own system folder: only the 64-bit one has sixtyfour.dll.
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\sixtyfour.dll", medium, "side-load high c:\\windows\\system32\\sixtyfour.dll"},
        {L"C:\\Tools\\app.exe", 32, L"C:\\Tools\\sixtyfour.dll", medium, ""},
        // The program's own file is no DLL that shadows.
        {L"C:\\Tools\\svchost.exe", 64, L"C:\\Tools\\svchost.exe", low, ""},
        // Folders anyone can drop into; the per-user program folders are none of them.
        {L"C:\\Users\\Ann\\AppData\\Local\\Temp\\x\\setup.exe", 32,
         L"C:\\Users\\Ann\\AppData\\Local\\Temp\\x\\version.dll", medium,
         "side-load high c:\\windows\\syswow64\\version.dll; drop medium user-temp"},
        {L"C:\\Users\\Ann\\AppData\\Local\\Temp\\x\\setup.exe", 32, L"C:\\Users\\Ann\\AppData\\Local\\Temp\\x\\setup.exe",
         medium, "drop medium user-temp"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Windows\\Temp\\a.dll", medium, "drop medium system-temp"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Users\\ann\\Downloads\\b.dll", medium, "drop medium downloads"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Users\\Public\\Documents\\c.dll", medium, "drop medium public"},
        {L"C:\\Tools\\app.exe", 64, L"D:\\$Recycle.Bin\\S-1-5-21\\e.dll", medium, "drop medium recycle-bin"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\RECYCLER\\f.dll", medium, "drop medium recycle-bin"},
        {L"C:\\Tools\\app.exe", 64, L"E:\\Recycled\\g.dll", medium, "drop medium recycle-bin"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Users\\Ann\\Downloads\\b.dll", high, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Users\\Ann\\AppData\\Local\\Programs\\App\\h.dll", low, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Users\\Ann\\AppData\\Local\\Tempest\\i.dll", low, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Users\\Ann\\AppData\\Local\\Temp", low, ""},
        // Renamed: only when low findings are wanted; case and a language file's .mui aside.
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\renamed.dll", low, "renamed low other.dll"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\renamed.dll", medium, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\Cased.dll", low, ""},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\lang.dll", low, ""},
        // The list of expected locations, with %VERSION% for one folder's name.
        {L"C:\\Program Files\\App\\app.exe", 64, L"C:\\Program Files\\App\\1.2\\version.dll", medium,
         "shadows medium c:\\windows\\system32\\version.dll", 64, "version.dll,%PROGRAMFILES%\\App\\%VERSION%\n"},
        {L"C:\\Program Files\\App\\app.exe", 64, L"C:\\Program Files\\App\\1.2\\sub\\version.dll", high,
         "not-expected high %PROGRAMFILES%\\App\\%VERSION%", 64, "version.dll,%PROGRAMFILES%\\App\\%VERSION%\n"},
        {L"C:\\Program Files\\App\\app.exe", 64, L"C:\\Program Files\\App\\version.dll", high,
         "not-expected high %PROGRAMFILES%\\App\\%VERSION%; %system32%", 64,
         "Name,Location\nversion.dll,%PROGRAMFILES%\\App\\%VERSION%\nVERSION.DLL,%system32%\n"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Windows\\System32\\version.dll", low, "", 64, "version.dll,%SYSTEM32%\n"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Tools\\other.dll", low, "", 64, "version.dll,%SYSTEM32%\n"},
        // The 32-bit program names a 32-bit process's system files by System32; they lie in SysWOW64.
        {L"C:\\Tools\\app.exe", 32, L"C:\\Windows\\System32\\kernel32.dll", high, "", 32, "kernel32.dll,%SYSWOW64%\n"},
        {L"C:\\Tools\\app.exe", 32, L"C:\\Windows\\System32\\kernel32.dll", high, "not-expected high %SYSWOW64%", 64,
         "kernel32.dll,%SYSWOW64%\n"},
        {L"C:\\Tools\\app.exe", 64, L"C:\\Windows\\System32\\kernel32.dll", high, "not-expected high %SYSWOW64%", 32,
         "kernel32.dll,%SYSWOW64%\n"},
    };
    FileFacts files;
    files.exists = [](const std::wstring& path) { return kSystemFiles.count(path) != 0; };
    files.originalName = [](const std::wstring& path, std::wstring& original) {
        auto named = kOriginalNames.find(path);
        original = named != kOriginalNames.end() ? named->second : L"";
        return named != kOriginalNames.end();
    };
    for (const Case& c : cases) {
        const SystemPlaces places = Places(c.ownBits);
        ExpectedLocations expected(places.folders, places.classes);
        ListError error;
        REQUIRE(expected.Parse(c.list ? c.list : "", c.list ? std::strlen(c.list) : 0, error));
        const SuspectRules rules(places, c.minimum, c.list ? &expected : nullptr);
        const std::string got = Described(rules.Judge({c.program, c.bits}, c.module, files));
        CHECK_MESSAGE(got == std::string(c.want), Utf8(c.module) << " of " << Utf8(c.program) << " (" << c.bits
                                                                  << "-bit, at least " << std::string(Name(c.minimum))
                                                                  << "): expected \"" << std::string(c.want)
                                                                  << "\", got \"" << got << "\"");
    }
}

TEST_CASE("a list of expected locations is refused at its first line that is no row, and is never read past its end")
{
    struct Case {
        std::string bytes;
        size_t line;  // 0: the list is taken
        const char* why;
    } cases[] = {
        {"name,location\r\nversion.dll,%SYSTEM32%\r\n", 0, ""},
        {"\xEF\xBB\xBFversion.dll , \"%SYSTEM32%\"", 0, ""},
        {"a.dll,\"C:\\Tools, \"\"Inc\"\"\",vendor,notes\n\n  \nb.dll,%WINDIR%", 0, ""},
        {"a.dll,%SYSTEM32%\n\nb.dll\n", 3, "a row needs a name and a location"},
        {"a.dll,%SYSTEM32%\n,%SYSTEM32%", 2, "a row needs a name and a location"},
        {"a.dll,%SYSTEM32%\\%FOO%\\x", 1, "unknown placeholder %FOO%"},
        {"a.dll,\"%SYSTEM32%", 1, "a quoted field is not closed"},
        {"a.dll,\"%SYSTEM32%\"x", 1, "text follows a quoted field"},
        {"a.dll,C:\\a\"b", 1, "a quote stands inside a field that is not quoted"},
        {"..\\a.dll,%SYSTEM32%", 1, "the name \"..\\a.dll\" is no file name"},
        {"a.dll,Tools\\x", 1, "the location \"Tools\\x\" is no whole folder"},
        {"a.dll,%VERSION%\\x", 1, "the location \"%VERSION%\\x\" is no whole folder"},
        {"a.dll,%SYSTEM32%\x1b[2J", 1, "holds a control character or bytes that are no UTF-8"},
        {std::string("a.dll,%SYSTEM32%\0x", 18), 1, "holds a control character or bytes that are no UTF-8"},
        {"\xff\xfe.dll,%SYSTEM32%", 1, "holds a control character or bytes that are no UTF-8"},
        {"name,location\nname,%SYSTEM32%\nb.dll,%SYSTEM32%\n\"", 4, "a quoted field is not closed"},
    };
    for (const Case& c : cases) {
        ExpectedLocations expected(Places(64).folders, Places(64).classes);
        testing::GuardedBuffer guarded(c.bytes.size() + 1);
        ListError error;
        const bool taken = expected.Parse(reinterpret_cast<const char*>(guarded.Place(c.bytes)), c.bytes.size(), error);
        CHECK_MESSAGE(taken == (c.line == 0), c.bytes);
        CHECK_MESSAGE(error.line == c.line, c.bytes << ": expected line " << c.line << ", got " << error.line);
        CHECK_MESSAGE(Utf8(error.why) == c.why,
                      c.bytes << ": expected \"" << std::string(c.why) << "\", got \"" << Utf8(error.why) << "\"");
    }
    // Where this system has no such folder, the location holds no module.
    SystemPlaces system32 = Places(32);
    system32.folders.wow64.clear();
    system32.classes.programFilesX86.clear();
    ExpectedLocations expected(system32.folders, system32.classes);
    const char list[] = "a.dll,%PROGRAMFILES(X86)%\\App\na.dll,%SYSWOW64%\n";
    ListError error;
    REQUIRE(expected.Parse(list, sizeof list - 1, error));
    std::wstring written;
    CHECK_FALSE(expected.Expects(L"a.dll", L"\\app\\", written));
    CHECK_FALSE(expected.Expects(L"a.dll", L"c:\\program files (x86)\\app\\", written));
    CHECK(Utf8(written) == "%PROGRAMFILES(X86)%\\App; %SYSWOW64%");
    CHECK(expected.Expects(L"b.dll", L"c:\\anywhere\\", written));

    // %VERSION% inside a name, and a list whose many %VERSION% a folder's name could be split
    // among in countless ways: answered at once, not after every way was tried.
    std::string many = "c.dll,C:\\Office%VERSION%\nd.dll,C:\\";
    for (int i = 0; i < 30; ++i)
        many += "%VERSION%a";
    many += "b\n";
    REQUIRE(expected.Parse(many.data(), many.size(), error));
    CHECK(expected.Expects(L"c.dll", L"c:\\office15\\", written));
    CHECK_FALSE(expected.Expects(L"c.dll", L"c:\\office\\", written));
    CHECK_FALSE(expected.Expects(L"d.dll", L"c:\\" + std::wstring(90, L'a') + L"\\", written));
    CHECK(expected.Expects(L"d.dll", L"c:\\" + std::wstring(90, L'a') + L"b\\", written));
}
