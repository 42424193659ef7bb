#include "export/Fixtures.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "support/TestSupport.h"

namespace fixtures {

namespace {

std::string LongDescription()
{
    std::string text;
    while (text.size() < 280)
        text += "Eine sehr lange Beschreibung, ";
    return text.substr(0, 280);
}

}  // namespace

const std::vector<Fixture>& All()
{
    static const std::string longDescription = LongDescription();
    static const std::vector<Fixture> all = {
        {"fx_full.dll", "2.1.0.7", "Sample Library", false},
        {"fx_product.dll", "3.0 beta", nullptr, false},
        {"fx_desc.dll", "5.01", "Nur Beschreibung – Größe ändern", false},
        {"fx_german.dll", "1.0 deutsch", "Deutsches Modul", false},
        {"fx_otherkey.dll", "6.10", nullptr, false},
        {"fx_notrans.dll", "7.7", "Ohne Übersetzungstabelle", false},
        {"fx_none.dll", "1.123", nullptr, false},
        // Its version's line feed is shown, so that the module stays on its line.
        {"fx_long.dll", "10.0<U+000A>Build 7", longDescription.c_str(), false},
        {"fx_x86.dll", "5.01", "32-Bit-Modul", true},
        // Only the 64-bit program reads the optional header of 64-bit images.
        {"fx_x64.dll", sizeof(void*) == 8 ? "7.05" : "0.00", "64-Bit-Modul", true},
    };
    return all;
}

std::string Directory()
{
    std::string relative = testing::ExeDirectory() + "..\\fixtures\\";
    char full[MAX_PATH] = "";
    ::GetFullPathNameA(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::string PathOf(const Fixture& fixture)
{
    return Directory() + fixture.file;
}

std::string Ansi(const std::string& utf8)
{
    return testing::Ansi(utf8);
}

std::string CrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string Line(const std::string& path, const std::string& version, const char* description)
{
    std::string line = path + "\t(V" + version;
    if (description)
        line += ", " + Ansi(description);
    return line + ")\n";
}

std::string ExpectedLine(const Fixture& fixture)
{
    return Line(PathOf(fixture), Ansi(fixture.version), fixture.description);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FreshTempFolder(const char* name)
{
    return testing::FreshFolder(name) + "\\";
}

}  // namespace fixtures
