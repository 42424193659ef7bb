#include "export/ModuleReport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "export/OptionalHeader.h"
#include "export/VersionApi.h"

const char kUnknownText[] = "unknown";

namespace {

// A module's version block, read whole, released when the module's line is composed.
class VersionBlock {
public:
    explicit VersionBlock(const char* path)
    {
        m_size = 0;
        m_data = nullptr;
        // Bound at start-up; a caller that came first (a test, a benchmark) binds here.
        if (!BindVersionFunctions())
            return;
        DWORD unused = 0;
        m_size = pfnGetFileVersionInfoSizeA(path, &unused);
        m_data = m_size ? static_cast<BYTE*>(std::malloc(m_size)) : nullptr;
        if (m_data && !pfnGetFileVersionInfoA(path, 0, m_size, m_data)) {
            std::free(m_data);
            m_data = nullptr;
        }
    }
    ~VersionBlock() { std::free(m_data); }
    VersionBlock(const VersionBlock&) = delete;
    VersionBlock& operator=(const VersionBlock&) = delete;

    bool IsRead() const { return m_data != nullptr; }

    // The value at `subBlock`: its length as the system reports it, and the bytes of the block
    // from there on. Null when absent or when the system points outside the block.
    const BYTE* Query(const char* subBlock, UINT* length, size_t* available) const
    {
        void* value = nullptr;
        if (!pfnVerQueryValueA(m_data, subBlock, &value, length) || !value)
            return nullptr;
        const BYTE* p = static_cast<const BYTE*>(value);
        if (p < m_data || p >= m_data + m_size)
            return nullptr;
        *available = static_cast<size_t>(m_data + m_size - p);
        return p;
    }

    CString TranslationKey() const
    {
        UINT length = 0;
        size_t available = 0;
        const BYTE* value = Query("\\VarFileInfo\\Translation", &length, &available);
        return ::TranslationKey(value, value ? static_cast<UINT>(std::min<size_t>(length, available)) : 0);
    }

    // The string `name` of the string table `key`, as stored, up to its NUL within the block.
    bool QueryString(const CString& key, const char* name, CString& text) const
    {
        CString subBlock;
        subBlock.Format("\\StringFileInfo\\%s\\%s", key.GetString(), name);
        UINT length = 0;
        size_t available = 0;
        // The reported length counts the NUL on some systems and not on others: the NUL decides.
        const char* value = reinterpret_cast<const char*>(Query(subBlock, &length, &available));
        if (!value)
            return false;
        text = CString(value, static_cast<int>(strnlen(value, available)));
        return true;
    }

private:
    BYTE* m_data;
    DWORD m_size;
};

// Whether the report reads the 240-byte optional header of 64-bit images: the 64-bit program
// lists their modules; the 32-bit program keeps to the 224-byte record and states 0.00 for them.
const bool kReadsWideHeaders = sizeof(void*) == 8;

// The version that the file's header states; never another file's.
CString ImageVersionOf(const char* path)
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

}  // namespace

CString ReportHeader(const char* processName)
{
    CString text;
    text.Format("Module zum Prozess: %s\n\n", processName);
    return text;
}

CString ModuleLine(const char* path, const char* version, const char* description)
{
    CString line;
    if (description)
        line.Format("%s\t(V%s, %s)\n", path, version, description);
    else
        line.Format("%s\t(V%s)\n", path, version);
    return line;
}

CString TranslationKey(const void* value, UINT length)
{
    if (!value || length < 2 * sizeof(WORD))
        return CString("040904b0");
    WORD entry[2];
    std::memcpy(entry, value, sizeof entry);
    CString key;
    key.Format("%08x", (static_cast<unsigned>(entry[0]) << 16) | entry[1]);
    return key;
}

ModuleVersion ReadModuleVersion(const char* path)
{
    VersionBlock block(path);
    ModuleVersion result;
    bool hasVersion = false;
    if (block.IsRead()) {
        CString key = block.TranslationKey();
        hasVersion = block.QueryString(key, "ProductVersion", result.version);
        result.hasDescription = block.QueryString(key, "FileDescription", result.description);
    }
    // The header is read only when the resource states no version.
    if (!hasVersion)
        result.version = ImageVersionOf(path);
    return result;
}

CString ComposeModuleLine(const char* path)
{
    ModuleVersion module = ReadModuleVersion(path);
    return ModuleLine(path, module.version, module.hasDescription ? module.description.GetString() : nullptr);
}
