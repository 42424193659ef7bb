#include "framework/DialogTexts.h"

#include "framework/SystemLibrary.h"
#include "framework/WideFunctions.h"

namespace {

// Reads a template's words in order, never past its end.
class TemplateReader {
public:
    TemplateReader(const void* bytes, DWORD size) : m_bytes(static_cast<const BYTE*>(bytes)), m_size(size) {}

    bool Skip(DWORD count)
    {
        m_ok = m_ok && count <= m_size - m_at;
        m_at = m_ok ? m_at + count : m_size;
        return m_ok;
    }
    WORD Word()
    {
        WORD value = 0;
        if (Skip(sizeof value))
            value = static_cast<WORD>(m_bytes[m_at - 2] | m_bytes[m_at - 1] << 8);
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    // A string or an ordinal (0xFFFF and a word): the string, empty for an ordinal.
    std::wstring StringOrOrdinal()
    {
        std::wstring text;
        WORD first = Word();
        if (first == 0xFFFF) {
            Word();
            return text;
        }
        for (WORD c = first; m_ok && c != 0; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignDword() { Skip((4 - m_at % 4) % 4); }
    bool Ok() const { return m_ok; }

private:
    const BYTE* m_bytes;
    DWORD m_size;
    DWORD m_at = 0;
    bool m_ok = true;
};

// Whether `text` comes back the same through the ANSI code page.
bool SurvivesCodePage(const std::wstring& text)
{
    if (text.empty())
        return true;
    const int wide = static_cast<int>(text.size());
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string ansi(bytes > 0 ? bytes : 0, '\0');
    BOOL defaulted = FALSE;
    if (bytes <= 0 || !::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, &ansi[0], bytes, nullptr, &defaulted) ||
        defaulted)
        return false;
    std::wstring back(text.size() * 2, L'\0');
    int chars = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), bytes, &back[0], static_cast<int>(back.size()));
    return chars > 0 && back.compare(0, chars, text) == 0 && chars == wide;
}

}  // namespace

std::vector<TemplateText> ReadTemplateTexts(const void* bytes, DWORD size)
{
    std::vector<TemplateText> texts;
    TemplateReader in(bytes, size);
    const WORD version = in.Word(), signature = in.Word();
    const bool extended = version == 1 && signature == 0xFFFF;
    DWORD style = 0;
    if (extended) {
        in.Skip(8);  // help id, extended style
        style = in.Dword();
    } else {
        style = static_cast<DWORD>(version) | static_cast<DWORD>(signature) << 16;
        in.Skip(4);  // extended style
    }
    const WORD count = in.Word();
    in.Skip(8);  // position and size
    in.StringOrOrdinal();  // menu
    in.StringOrOrdinal();  // class
    std::wstring caption = in.StringOrOrdinal();
    if (in.Ok() && !caption.empty())
        texts.push_back({true, 0, caption});
    if (style & DS_SETFONT) {
        in.Skip(extended ? 6 : 2);  // point size; weight, italic and character set
        in.StringOrOrdinal();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignDword();
        in.Skip(extended ? 12 : 8);  // (help id,) styles
        in.Skip(8);  // position and size
        const int id = extended ? static_cast<int>(in.Dword()) : in.Word();
        in.StringOrOrdinal();  // class
        std::wstring title = in.StringOrOrdinal();
        // Creation data: its size follows, in DIALOG templates counting the size's own word.
        const WORD extra = in.Word();
        in.Skip(extended ? extra : extra > 2 ? extra - 2 : 0);
        // Controls of id -1 are many; GetDlgItem could not tell them apart.
        if (in.Ok() && !title.empty() && id != -1 && id != 0xFFFF)
            texts.push_back({false, id, title});
    }
    return texts;
}

void RestoreTemplateTexts(HWND dialog, const void* bytes, DWORD size)
{
    // The Windows 95 family's wide functions are stubs that fail; there the code page is all.
    // A wide WM_SETTEXT sent to a window made through the ANSI functions reaches it through the
    // code page again; the wide default procedure keeps the text whole, and the control draws
    // what that keeps.
    static LRESULT(WINAPI * pfnDefWindowProcW)(HWND, UINT, WPARAM, LPARAM) = nullptr;
    if (!SystemHasWidePaths() || !BindFromLoadedModule("user32.dll", EntryPoint{"DefWindowProcW", pfnDefWindowProcW}))
        return;
    for (const TemplateText& text : ReadTemplateTexts(bytes, size)) {
        HWND window = text.caption ? dialog : ::GetDlgItem(dialog, text.id);
        if (window && !SurvivesCodePage(text.text) &&
            pfnDefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.text.c_str())))
            ::InvalidateRect(window, nullptr, TRUE);
    }
}
