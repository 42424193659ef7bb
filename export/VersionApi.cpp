#include "export/VersionApi.h"

#include "framework/SystemLibrary.h"

PfnGetFileVersionInfoSizeA pfnGetFileVersionInfoSizeA;
PfnGetFileVersionInfoA pfnGetFileVersionInfoA;
PfnVerQueryValueA pfnVerQueryValueA;
PfnGetFileVersionInfoSizeW pfnGetFileVersionInfoSizeW;
PfnGetFileVersionInfoW pfnGetFileVersionInfoW;
PfnVerQueryValueW pfnVerQueryValueW;

bool BindVersionFunctions()
{
    return BindFromSystemLibrary("version.dll", EntryPoint{"GetFileVersionInfoSizeA", pfnGetFileVersionInfoSizeA},
                                 EntryPoint{"GetFileVersionInfoA", pfnGetFileVersionInfoA},
                                 EntryPoint{"VerQueryValueA", pfnVerQueryValueA});
}

bool BindWideVersionFunctions()
{
    return BindFromSystemLibrary("version.dll", EntryPoint{"GetFileVersionInfoSizeW", pfnGetFileVersionInfoSizeW},
                                 EntryPoint{"GetFileVersionInfoW", pfnGetFileVersionInfoW},
                                 EntryPoint{"VerQueryValueW", pfnVerQueryValueW});
}
