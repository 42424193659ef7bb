#include "export/FileVersion.h"

#include "export/ModuleReport.h"
#include "export/VersionBlock.h"
#include "framework/Encoding.h"
#include "paths/WidePath.h"

namespace {

template <class Char> std::wstring Widened(const std::basic_string<Char>& text);
template <> std::wstring Widened(const std::wstring& text)
{
    return text;
}
template <> std::wstring Widened(const std::string& text)
{
    return ToWide(text);
}

// Fills the resource's part of `version` from the block of the file at `path`.
template <class Char> void ReadResource(const Char* path, FileVersion& version)
{
    VersionBlock<Char> block(path);
    if (!block.IsRead())
        return;
    VS_FIXEDFILEINFO fixed;
    if (block.FixedInfo(fixed)) {
        version.source = VersionSource::Resource;
        version.number = VersionNumber(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    }
    std::basic_string<Char> key = block.TranslationKey(), text;
    if ((version.hasProduct = block.QueryString(key, "ProductVersion", text)))
        version.product = Widened(text);
    if ((version.hasDescription = block.QueryString(key, "FileDescription", text)))
        version.description = Widened(text);
    if ((version.hasOriginalName = block.QueryString(key, "OriginalFilename", text)))
        version.originalName = Widened(text);
}

}  // namespace

FileVersion ReadFileVersion(const std::wstring& path)
{
    FileVersion version;
    // By the form that names the file and nothing else: "com1.dll" is no port.
    std::wstring exact;
    if (!ExactPathOf(path, exact))
        return version;
    if (SystemHasWidePaths())
        ReadResource(exact.c_str(), version);
    else
        ReadResource(FromWide(exact).c_str(), version);
    if (version.source == VersionSource::None) {
        CString image = ImageVersionOf(exact);
        if (image != kUnknownText) {
            version.source = VersionSource::Header;
            version.number = ToWide(image.GetString());
        }
    }
    return version;
}

std::wstring VersionNumber(unsigned long mostSignificant, unsigned long leastSignificant)
{
    return ToWide(std::to_string(mostSignificant >> 16) + "." + std::to_string(mostSignificant & 0xFFFF) + "." +
                  std::to_string(leastSignificant >> 16) + "." + std::to_string(leastSignificant & 0xFFFF));
}
