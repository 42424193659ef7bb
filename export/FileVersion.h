// What the console's listings state of a module file: the numeric file version and the product
// version text as separate fields, and where the version came from, read through the file's
// whole path.
#pragma once

#include <string>

// Where a file's version came from.
enum class VersionSource {
    None,      // neither the version resource nor the header could be read
    Resource,  // the fixed part of the version resource
    Header,    // the image version of the executable header
};

struct FileVersion {
    VersionSource source = VersionSource::None;
    std::wstring number;  // "7.8.9.10" from the resource, "5.01" from the header; empty for None
    bool hasProduct = false;
    std::wstring product;  // the ProductVersion text, as stored
    bool hasDescription = false;
    std::wstring description;  // the FileDescription text
    bool hasOriginalName = false;
    std::wstring originalName;  // the OriginalFilename text: the name its maker gave the file
};

// Reads the file at `path`. The NT family reads it through the wide functions, so that a path
// of any length and any text come through whole; the Windows 95 family through the ANSI ones.
FileVersion ReadFileVersion(const std::wstring& path);

// The version numbers of a fixed version record as "major.minor.build.revision".
std::wstring VersionNumber(unsigned long mostSignificant, unsigned long leastSignificant);
