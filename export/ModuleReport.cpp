#include "export/ModuleReport.h"

#include <cstring>

#include "export/OptionalHeader.h"
#include "export/VersionBlock.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "paths/TextForms.h"
#include "paths/WidePath.h"

const char kUnknownText[] = "unknown";

namespace {

// Whether the report reads the 240-byte optional header of 64-bit images: the 64-bit program
// lists their modules; the 32-bit program keeps to the 224-byte record and states 0.00 for them.
const bool kReadsWideHeaders = sizeof(void*) == 8;

}  // namespace

// The version that the file's header states; never another file's.
template <class Path> CString ImageVersionOf(const Path& path)
{
    if (kReadsWideHeaders) {
        IMAGE_OPTIONAL_HEADER64 wide;
        // A header that cannot be read states no version, a cut 64-bit one included; a 32-bit
        // image's header has another size and reads as zeros here.
        if (!ReadOptionalHeader(path, &wide))
            return CString(kUnknownText);
        if (wide.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
            return ImageVersionText(wide);
    }
    IMAGE_OPTIONAL_HEADER32 header;
    return ReadOptionalHeader(path, &header) ? ImageVersionText(header) : CString(kUnknownText);
}

template CString ImageVersionOf(const char* const&);
template CString ImageVersionOf(const std::wstring&);

CString ReportHeader(const char* processName)
{
    CString text;
    text.Format("Module zum Prozess: %s\n\n", ReportText(processName).c_str());
    return text;
}

CString ModuleLine(const char* path, const char* version, const char* description)
{
    // The texts come from the module's file and from whoever named it: none may end the line or
    // split it where the report does not.
    const std::string shownPath = ReportText(path), shownVersion = ReportText(version);
    CString line;
    if (description)
        line.Format("%s\t(V%s, %s)\n", shownPath.c_str(), shownVersion.c_str(), ReportText(description).c_str());
    else
        line.Format("%s\t(V%s)\n", shownPath.c_str(), shownVersion.c_str());
    return line;
}

std::string TranslationKey(const void* value, UINT length)
{
    if (!value || length < 2 * sizeof(WORD))
        return "040904b0";
    WORD entry[2];
    std::memcpy(entry, value, sizeof entry);
    CString key;
    key.Format("%08x", (static_cast<unsigned>(entry[0]) << 16) | entry[1]);
    return key.GetString();
}

ModuleVersion ReadModuleVersion(const char* path)
{
    ModuleVersion result;
    // A path whose last part names a device is read in the form that names the file, or not at
    // all: the device (a port) may never answer.
    std::string exact;
    if (!ExactAnsiPathOf(path, exact)) {
        result.version = kUnknownText;
        return result;
    }
    VersionBlock<char> block(exact.c_str());
    bool hasVersion = false;
    if (block.IsRead()) {
        // Each value in a text of its own: a missing one leaves its text empty, never the other's.
        std::string key = block.TranslationKey(), version, description;
        hasVersion = block.QueryString(key, "ProductVersion", version);
        result.version = version.c_str();
        result.hasDescription = block.QueryString(key, "FileDescription", description);
        result.description = description.c_str();
    }
    // The header is read only when the resource states no version.
    if (!hasVersion)
        result.version = ImageVersionOf(exact.c_str());
    return result;
}

CString ComposeModuleLine(const char* path, bool faithful)
{
    // A path that names another file than the module's is never read.
    if (!faithful)
        return ModuleLine(path, kUnknownText, nullptr);
    ModuleVersion module = ReadModuleVersion(path);
    return ModuleLine(path, module.version, module.hasDescription ? module.description.GetString() : nullptr);
}

void WriteReport(const ReportSource& source, const std::function<void(const char* line)>& write)
{
    write(ReportHeader(source.ProcessName()));
    for (int i = 0; i < source.Count(); ++i) {
        const ReportEntry entry = source.Entry(i);
        write(ComposeModuleLine(entry.path, entry.faithful));
    }
}

namespace {

// The modules of a process as the console program walked and ordered them.
class WalkedModules : public ReportSource {
public:
    WalkedModules(const char* processPath, const std::vector<ModuleEntry>& modules)
        : m_processPath(processPath), m_modules(modules)
    {
    }
    CString ProcessName() const override { return DisplayNameOf(m_processPath); }
    int Count() const override { return static_cast<int>(m_modules.size()); }
    ReportEntry Entry(int index) const override
    {
        const ModuleEntry& module = m_modules[static_cast<size_t>(index)];
        return {module.path, module.faithful};
    }

private:
    const char* m_processPath;
    const std::vector<ModuleEntry>& m_modules;
};

}  // namespace

std::string ComposeReport(const char* processPath, const std::vector<ModuleEntry>& modules)
{
    std::string report;
    WriteReport(WalkedModules(processPath, modules), [&report](const char* line) { report += line; });
    return WithCrLf(report);
}
