#include "support/Conversion.h"

#include <windows.h>

#include <algorithm>

namespace testing {

namespace {

// One call each way, into room enough: a byte never becomes more than one UTF-16 unit, and a
// UTF-16 unit never more than three bytes.
std::wstring Decoded(const std::string& text, UINT codePage)
{
    std::wstring wide(text.size(), L'\0');
    const int units = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                            static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(std::max(units, 0)));
    return wide;
}

std::string Encoded(const std::wstring& wide, UINT codePage)
{
    std::string text(3 * wide.size(), '\0');
    const int bytes = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                            static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<size_t>(std::max(bytes, 0)));
    return text;
}

}  // namespace

std::wstring Wide(const std::string& utf8)
{
    return Decoded(utf8, CP_UTF8);
}

std::string Utf8(const std::wstring& wide)
{
    return Encoded(wide, CP_UTF8);
}

std::string Ansi(const std::string& utf8)
{
    return Encoded(Wide(utf8), CP_ACP);
}

}  // namespace testing
