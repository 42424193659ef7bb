// The built program's version resource and icon, read back with the system's own functions.
#include <doctest/doctest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "res/resource.h"
#include "support/DialogTemplate.h"
#include "support/TestSupport.h"

namespace {

// An icon group's directory as it is stored in the resources.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

}  // namespace

TEST_CASE("the program reports its version through the system's version functions")
{
    const std::string path = testing::ProgramPath();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    REQUIRE_MESSAGE(size > 0, "no version resource in " << path);
    std::vector<char> block(size);
    REQUIRE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    REQUIRE(length >= sizeof(VS_FIXEDFILEINFO));
    CHECK(fixed->dwSignature == VS_FFI_SIGNATURE);
    CHECK(fixed->dwFileVersionMS == MAKELONG(1, 2));
    CHECK(fixed->dwFileVersionLS == 0);
    CHECK(fixed->dwProductVersionMS == MAKELONG(1, 2));
    CHECK(fixed->dwProductVersionLS == 0);
    CHECK(fixed->dwFileOS == VOS__WINDOWS32);
    CHECK(fixed->dwFileType == VFT_APP);
    CHECK((fixed->dwFileFlags & fixed->dwFileFlagsMask) == 0);

    WORD* translation = nullptr;
    REQUIRE(::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
    REQUIRE(length == 4);
    CHECK(translation[0] == 0x0409);
    CHECK(translation[1] == 0x04B0);

    const struct {
        const char* key;
        const char* value;
    } strings[] = {
        {"Comments", "Listet alle aktiven Prozesse und die von ihnen geladenen Module unter Win95 / WinNTauf"},
        {"CompanyName", "Quendrix Team"},
        {"FileDescription", "Ermittelt aktuell geladene Prozesse / Module"},
        {"FileVersion", "2, 1, 0, 0"},
        {"InternalName", "Quendrix"},
        {"LegalCopyright", ""},
        {"LegalTrademarks", ""},
        {"OriginalFilename", QUENDRIX_PROGRAM_NAME ".EXE"},
        {"PrivateBuild", ""},
        {"ProductName", "Quendrix"},
        {"ProductVersion", "2, 1, 0, 0"},
        {"SpecialBuild", ""},
    };
    for (const auto& s : strings) {
        CAPTURE(s.key);
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + s.key;
        char* value = nullptr;
        REQUIRE(::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
        CHECK(std::string(value ? value : "(null)") == s.value);
    }
}

TEST_CASE("the program's icon has a 32x32 and a 16x16 image in 16 colours")
{
    HMODULE program = ::LoadLibraryExA(testing::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(program != nullptr);

    HRSRC group = ::FindResourceA(program, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14));
    REQUIRE(group != nullptr);
    const auto* dir = static_cast<const GroupIconDir*>(::LockResource(::LoadResource(program, group)));
    REQUIRE(dir != nullptr);
    REQUIRE(dir->count == 2);
    std::string images;
    for (int i = 0; i < dir->count; ++i) {
        const GroupIconEntry& e = dir->entries[i];
        images += std::to_string(e.width) + "x" + std::to_string(e.height) + "/" +
                  std::to_string(e.colourCount) + "/" + std::to_string(e.bitCount) + " ";
    }
    CHECK(images == "32x32/16/4 16x16/16/4 ");

    for (int size : {32, 16}) {
        CAPTURE(size);
        HICON icon = static_cast<HICON>(
            ::LoadImageA(program, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        REQUIRE(icon != nullptr);
        ICONINFO info{};
        REQUIRE(::GetIconInfo(icon, &info));
        CHECK(info.fIcon);
        BITMAP colour{};
        REQUIRE(::GetObjectA(info.hbmColor, sizeof colour, &colour));
        CHECK(colour.bmWidth == size);
        CHECK(colour.bmHeight == size);
        BITMAP mask{};
        REQUIRE(::GetObjectA(info.hbmMask, sizeof mask, &mask));
        CHECK(mask.bmHeight == size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
    ::FreeLibrary(program);
}

TEST_CASE("the About box is built as its template says, its icon 21 by 20 dialog units")
{
    HMODULE program = ::LoadLibraryExA(testing::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(program != nullptr);
    const testing::DialogTemplate about = testing::ReadDialogTemplate(program, IDD_ABOUTBOX);
    CHECK(about.style == (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    CHECK(about.caption == "About Quendrix");
    CHECK(about.font == "MS Sans Serif");
    CHECK(about.pointSize == 8);
    CHECK(about.cx == 217);
    CHECK(about.cy == 67);

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const std::vector<testing::DialogItem> expected = {
        {-1, 0x82, "#128", child | SS_ICON, 11, 17, 21, 20},
        {-1, 0x82, "Quendrix Version 2.0", child | SS_LEFT | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8},
        {-1, 0x82, "Quendrix Team", child | SS_LEFT | WS_GROUP, 40, 25, 119, 8},
        {IDOK, 0x80, "OK", child | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 32, 14},
        {-1, 0x82, "quendrix.example", child | SS_LEFT | WS_GROUP, 39, 46, 68, 8},
    };
    REQUIRE(about.items.size() == expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        CAPTURE(i);
        CHECK(about.items[i] == expected[i]);
    }
    ::FreeLibrary(program);
}

TEST_CASE("both programs carry a manifest that asks to run as their invoker and names no dependency")
{
    const std::string programs[] = {testing::ProgramPath(),
                                    testing::ExeDirectory() + "..\\" QUENDRIX_CLI_PROGRAM_NAME ".exe"};
    for (const std::string& path : programs) {
        CAPTURE(path);
        // The resource as stored: type 24, id 1.
        std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> image(
            ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), &::FreeLibrary);
        REQUIRE(image != nullptr);
        HRSRC found = ::FindResourceA(image.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        REQUIRE(found != nullptr);
        const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(image.get(), found)));
        REQUIRE(bytes != nullptr);
        const std::string text(bytes, ::SizeofResource(image.get(), found));
        CHECK(text.find("<requestedExecutionLevel level=\"asInvoker\"") != std::string::npos);
        // A dependency (on newer common controls) would change how the dialog looks.
        CHECK(text.find("<dependency") == std::string::npos);

        // The system's own reading of it.
        ACTCTXA source{};
        source.cbSize = sizeof source;
        source.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        source.lpSource = path.c_str();
        source.lpResourceName = MAKEINTRESOURCEA(1);
        HANDLE created = ::CreateActCtxA(&source);
        REQUIRE(created != INVALID_HANDLE_VALUE);
        std::unique_ptr<void, decltype(&::ReleaseActCtx)> context(created, &::ReleaseActCtx);
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
        SIZE_T written = 0;
        REQUIRE(::QueryActCtxW(0, context.get(), nullptr, RunlevelInformationInActivationContext, &level,
                               sizeof level, &written));
        CHECK(level.RunLevel == ACTCTX_RUN_LEVEL_AS_INVOKER);
        CHECK(level.UiAccess == 0);
    }
}
