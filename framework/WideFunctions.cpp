#include "framework/WideFunctions.h"

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "framework/WholeName.h"

bool SystemHasWidePaths()
{
    static const bool wide = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        return ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }();
    return wide;
}

std::wstring ModuleFileOf(HMODULE module)
{
    static decltype(&::GetModuleFileNameW) pfnModuleFileW = nullptr;
    if (SystemHasWidePaths() && BindFromLoadedModule("kernel32.dll", EntryPoint{"GetModuleFileNameW", pfnModuleFileW}))
        return WholeName<wchar_t>([&](wchar_t* text, DWORD size) { return pfnModuleFileW(module, text, size); });
    return ToWide(WholeName<char>([&](char* text, DWORD size) { return ::GetModuleFileNameA(module, text, size); }));
}
