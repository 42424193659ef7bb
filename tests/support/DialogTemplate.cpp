#include "support/DialogTemplate.h"

#include <doctest/doctest.h>

namespace testing {

namespace {

// Walks the template's words, each field at its place, never past the resource's end.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    template <class T> T Read()
    {
        REQUIRE(m_pos + sizeof(T) <= m_size);
        T value;
        memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::string ReadString()
    {
        std::wstring wide;
        for (WORD c; (c = Read<WORD>()) != 0;)
            wide.push_back(static_cast<wchar_t>(c));
        char utf8[1024] = "";
        ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        return utf8;
    }
    // A string, or an ordinal introduced by 0xFFFF (returned in `ordinal`).
    std::string ReadNameOrOrdinal(int& ordinal)
    {
        ordinal = 0;
        REQUIRE(m_pos + 2 <= m_size);
        WORD first;
        memcpy(&first, m_data + m_pos, 2);
        if (first == 0xFFFF) {
            m_pos += 2;
            ordinal = Read<WORD>();
            return "";
        }
        return ReadString();
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~size_t(3); }
    void Skip(size_t bytes) { m_pos += bytes; }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace

std::ostream& operator<<(std::ostream& out, const DialogItem& item)
{
    return out << "{id " << item.id << ", class " << item.classAtom << ", \"" << item.text << "\", style 0x"
               << std::hex << item.style << std::dec << ", " << item.x << "," << item.y << " " << item.cx
               << "x" << item.cy << "}";
}

DialogTemplate ReadDialogTemplate(HMODULE module, int id)
{
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    REQUIRE(resource != nullptr);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, resource)));
    Reader reader(data, ::SizeofResource(module, resource));

    DialogTemplate dialog;
    REQUIRE(reader.Read<WORD>() == 1);       // version
    REQUIRE(reader.Read<WORD>() == 0xFFFF);  // extended template
    reader.Read<DWORD>();                    // help id
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    int count = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    int ordinal;
    reader.ReadNameOrOrdinal(ordinal);  // menu
    reader.ReadNameOrOrdinal(ordinal);  // class
    dialog.caption = reader.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<WORD>();
        reader.Read<WORD>();  // weight
        reader.Read<BYTE>();  // italic
        reader.Read<BYTE>();  // character set
        dialog.font = reader.ReadString();
    }
    for (int i = 0; i < count; ++i) {
        reader.AlignDword();
        DialogItem item{};
        reader.Read<DWORD>();  // help id
        reader.Read<DWORD>();  // extended style
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = static_cast<int>(reader.Read<DWORD>());
        std::string className = reader.ReadNameOrOrdinal(item.classAtom);
        int textOrdinal;
        item.text = reader.ReadNameOrOrdinal(textOrdinal);
        if (textOrdinal)
            item.text = "#" + std::to_string(textOrdinal);
        reader.Skip(reader.Read<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    return dialog;
}

}  // namespace testing
