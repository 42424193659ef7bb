#include "export/VersionApi.h"

#include "framework/SystemLibrary.h"

PfnGetFileVersionInfoSizeA pfnGetFileVersionInfoSizeA;
PfnGetFileVersionInfoA pfnGetFileVersionInfoA;
PfnVerQueryValueA pfnVerQueryValueA;

bool BindVersionFunctions()
{
    if (!pfnGetFileVersionInfoSizeA || !pfnGetFileVersionInfoA || !pfnVerQueryValueA) {
        HMODULE library = LoadSystemLibrary("version.dll");
        BindEntryPoint(library, "GetFileVersionInfoSizeA", pfnGetFileVersionInfoSizeA);
        BindEntryPoint(library, "GetFileVersionInfoA", pfnGetFileVersionInfoA);
        BindEntryPoint(library, "VerQueryValueA", pfnVerQueryValueA);
    }
    return pfnGetFileVersionInfoSizeA && pfnGetFileVersionInfoA && pfnVerQueryValueA;
}
