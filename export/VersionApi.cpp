#include "export/VersionApi.h"

#include "framework/SystemLibrary.h"

PfnGetFileVersionInfoSizeA pfnGetFileVersionInfoSizeA;
PfnGetFileVersionInfoA pfnGetFileVersionInfoA;
PfnVerQueryValueA pfnVerQueryValueA;

bool BindVersionFunctions()
{
    return BindFromSystemLibrary("version.dll", EntryPoint{"GetFileVersionInfoSizeA", pfnGetFileVersionInfoSizeA},
                                 EntryPoint{"GetFileVersionInfoA", pfnGetFileVersionInfoA},
                                 EntryPoint{"VerQueryValueA", pfnVerQueryValueA});
}
