// Wrappers around the real shell's objects: they forward every call and record what the code
// under test does with them (references, identifier lists freed, calls made), and can make one
// kind of call fail instead of reaching the shell.
#pragma once

#include <shlobj.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct ShellLog {
    // "desktop.parse C:\dir\", "desktop.bind C:\dir\", "free C:\dir\", "desktop released", ...
    std::vector<std::string> events;
    // The identifier lists handed out, by the text parsed into them.
    std::map<const void*, std::string> idlNames;
    // Calls that answer `failure` without reaching the shell: "bind", "uiobject", "query", "invoke".
    std::set<std::string> failing;
    HRESULT failure = E_ACCESSDENIED;
    HMENU popup = nullptr;                      // the menu QueryContextMenu was asked to fill
    std::vector<CMINVOKECOMMANDINFO> invoked;   // every record InvokeCommand was given

    std::string Joined() const;
};

// Each takes over one reference to `real`; the wrapper holds the one reference it returns.
IShellFolder* WrapFolder(IShellFolder* real, const std::string& name, ShellLog& log);
IContextMenu* WrapMenu(IContextMenu* real, ShellLog& log);
IMalloc* WrapMalloc(IMalloc* real, ShellLog& log);
