#include "query/SystemPlaces.h"

#include <windows.h>

#include "framework/Encoding.h"
#include "framework/Registry.h"
#include "paths/WidePath.h"

namespace {

// The known DLLs of one key: each REG_SZ value holds a file name; the folders that the key also
// names (DllDirectory, DllDirectory32) are REG_EXPAND_SZ values and no names.
void AddKnownDlls(const char* key, REGSAM view, std::set<std::wstring>& names)
{
    for (const RegistryKey::Value& value : RegistryKey(HKEY_LOCAL_MACHINE, key, view).Texts())
        if (!value.text.empty())
            names.insert(LowerCase(ToWide(value.text)));
}

}  // namespace

SystemPlaces ReadSystemPlaces()
{
    SystemPlaces places;
    places.folders = TheSystemFolders();
    places.classes = ReadFolderClasses(places.folders);
    places.ownBits = sizeof(void*) == 8 ? 64 : 32;
    const bool system64 = !places.folders.wow64.empty();
    const REGSAM view = system64 ? KEY_WOW64_64KEY : 0;
    // The NT family keeps the list under "Session Manager"; the Windows 95 family under
    // "SessionManager", which is where its loader looks.
    AddKnownDlls("System\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", view, places.knownDlls);
    AddKnownDlls("System\\CurrentControlSet\\Control\\SessionManager\\KnownDLLs", view, places.knownDlls);
    // A 64-bit system maps the 32-bit copies of the same names from its 32-bit system folder
    // (the key's DllDirectory32); a list of its own for them, where a system keeps one, stands
    // beside the first as KnownDLLs32.
    if (system64)
        AddKnownDlls("System\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs32", view, places.knownDlls32);
    return places;
}
