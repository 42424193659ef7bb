// The fixture modules (built into <build>/fixtures) and what the module report says of each.
#pragma once

#include <string>
#include <vector>

namespace fixtures {

struct Fixture {
    const char* file;
    const char* version;      // UTF-8, as the report states it
    const char* description;  // UTF-8; null when the report states none
    bool image;               // an image of fixed bitness (fx_x86, fx_x64): read, never loaded
};

const std::vector<Fixture>& All();
// The fixture folder's full path, with a trailing backslash.
std::string Directory();
std::string PathOf(const Fixture& fixture);

// A UTF-8 text as the system's ANSI functions give it.
std::string Ansi(const std::string& utf8);
// `text` with every line feed written as CR LF.
std::string CrLf(const std::string& text);
// The report line of a module at `path` with this version and description, before CR LF.
std::string Line(const std::string& path, const std::string& version, const char* description);
std::string ExpectedLine(const Fixture& fixture);

// The bytes of a file; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// A fresh, empty folder under the system's temporary folder, with a trailing backslash.
std::string FreshTempFolder(const char* name);

}  // namespace fixtures
