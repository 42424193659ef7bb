#include "enum/ModuleName.h"

#include <utility>

#include "enum/EnumApi.h"
#include "enum/LoaderNames.h"
#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "framework/WholeName.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"

std::wstring MappedFileName(HANDLE process, HMODULE module)
{
    if (!pfnGetMappedFileNameW)
        return std::wstring();
    return WholeName<wchar_t>(
        [&](wchar_t* text, DWORD size) { return pfnGetMappedFileNameW(process, module, text, size); });
}

bool NameModule(HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry)
{
    char path[MAX_PATH];
    DWORD length = pfnGetModuleFileNameExA(process, module, path, MAX_PATH);
    const std::string ansi = length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
    std::wstring file;
    if (!LoaderNames::Find(process, module, file) && pfnGetModuleFileNameExW)
        file = WholeName<wchar_t>(
            [&](wchar_t* text, DWORD size) { return pfnGetModuleFileNameExW(process, module, text, size); });
    if (mapped && pfnGetMappedFileNameW) {
        std::wstring really = DosPathOf(MappedFileName(process, module));
        if (!really.empty() && LowerCase(really) != LowerCase(file)) {
            // The folder is the mapped file's; the name keeps the spelling the process gave it.
            const std::wstring name = file.substr(FolderLength(file));
            file = LowerCase(really.substr(FolderLength(really))) == LowerCase(name)
                       ? really.substr(0, FolderLength(really)) + name
                       : really;
        }
    }
    entry.base = reinterpret_cast<ULONG_PTR>(module);
    if (file.empty()) {
        // Without a wide name there is nothing to hold the ANSI one against.
        if (ansi.empty())
            return false;
        entry.path = ansi.c_str();
        entry.file = ToWide(ansi);
        entry.faithful = true;
        return true;
    }
    entry.file = file;
    entry.path = !ansi.empty() && ToWide(ansi) == file ? ansi.c_str() : FromWide(file).c_str();
    // The ANSI functions take no path of MAX_PATH characters or more either.
    entry.faithful = entry.path.GetLength() < MAX_PATH && ToWide(entry.path.GetString()) == file;
    return true;
}

ModuleEntry ToolhelpModule(const char* path, ULONG_PTR base)
{
    return {CString(path), ToWide(path), true, base};
}

namespace {

// The listing that holds the drives now; null outside a listing.
DriveListing* g_listing = nullptr;

}  // namespace

DriveListing::DriveListing() : m_outer(g_listing == nullptr)
{
    if (m_outer)
        g_listing = this;
}

DriveListing::DriveListing(std::vector<Drive> drives) : DriveListing()
{
    m_asked = m_outer;
    if (m_outer)
        m_drives = std::move(drives);
}

DriveListing::~DriveListing()
{
    if (m_outer)
        g_listing = nullptr;
}

const std::vector<DriveListing::Drive>& DriveListing::Drives()
{
    if (!m_outer)
        return g_listing->Drives();
    if (m_asked)
        return m_drives;
    m_asked = true;
    static decltype(&::QueryDosDeviceW) pfnQueryDosDeviceW = nullptr;
    if (!BindFromLoadedModule("kernel32.dll", EntryPoint{"QueryDosDeviceW", pfnQueryDosDeviceW}))
        return m_drives;
    wchar_t device[MAX_PATH];
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t drive[] = {letter, L':', L'\0'};
        if (pfnQueryDosDeviceW(drive, device, MAX_PATH))
            m_drives.push_back({drive, LowerCase(std::wstring(device) + L"\\")});
    }
    return m_drives;
}

std::wstring DosPathOf(const std::wstring& kernelPath)
{
    // The kernel's names are matched without regard to case, as the object manager does.
    const std::wstring lowered = LowerCase(kernelPath);
    if (lowered.compare(0, 4, L"\\??\\") == 0)
        return lowered.compare(4, 4, L"unc\\") == 0 ? L"\\\\" + kernelPath.substr(8) : kernelPath.substr(4);
    const std::wstring network = L"\\device\\mup\\";
    if (lowered.compare(0, network.size(), network) == 0)
        return L"\\\\" + kernelPath.substr(network.size());
    DriveListing listing;
    for (const DriveListing::Drive& drive : listing.Drives())
        if (lowered.size() > drive.device.size() && lowered.compare(0, drive.device.size(), drive.device) == 0)
            return drive.letter + L"\\" + kernelPath.substr(drive.device.size());
    return std::wstring();
}

bool SystemIs64Bit()
{
    if (OwnBits() == 64)
        return true;
    BOOL wow64 = FALSE;
    return pfnIsWow64Process && pfnIsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

int ProcessBits(HANDLE process)
{
    if (!SystemIs64Bit())
        return 32;
    BOOL wow64 = FALSE;
    if (!pfnIsWow64Process || !pfnIsWow64Process(process, &wow64))
        return 0;
    return wow64 ? 32 : 64;
}
