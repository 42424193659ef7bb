// The platform's back end as a front end holds it: bound once at start-up, with the version
// record that chose it, and the walks that the front ends ask for. Each front end (the dialog,
// the console program) makes one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "enum/ListOrder.h"
#include "enum/ProcessTable.h"

// How the lookup of a process named by a user ended.
enum class ProcessLookup {
    Found,       // exactly one process has the name
    Unknown,     // none has it
    Ambiguous,   // several have it: `matches` holds them
    Unreadable,  // the process table could not be read, or the system has no back end
};

class Backend {
public:
    // Probes the platform and binds its back end. `order` judges the order of the dialog's
    // lists; it outlives the back end.
    explicit Backend(const ListOrder& order);
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    // The version record that chose the back end; its dwOSVersionInfoSize is 0 when the query
    // failed.
    const OSVERSIONINFOA& Version() const { return m_version; }
    // The back end's library, null when none was loaded; it stays loaded.
    HMODULE Library() const { return m_library; }
    // Whether the back end has every function its process walk calls.
    bool Available() const { return m_available; }

    // Every process, ordered by id. False when the process table cannot be read.
    bool Processes(std::vector<ProcessRecord>& processes) const;
    // The processes that `name` names (see MatchProcesses): Found puts the one in `matches`.
    ProcessLookup Find(const std::wstring& name, std::vector<ProcessRecord>& matches) const;
    // Every module of a process, its executable first on the NT family, as the listings take
    // them.
    ModuleWalk Modules(const ProcessRecord& process, std::vector<ModuleEntry>& modules) const;
    // The modules of a process as the dialog's module list holds them: without the executable,
    // as many as its arrays hold, in the list's order. `ordered` is false, with no module, when
    // the walk went well but no list could give the order.
    ModuleWalk DialogModules(const ProcessRecord& process, std::vector<ModuleEntry>& modules, bool& ordered) const;
    // Every process with all its modules, as WalkEveryProcess hands them on.
    bool WalkEveryProcess(const std::function<void(const ProcessModules&)>& sink,
                          const ModuleNamer* namer = nullptr) const;
    // The path that the dialog's process list gives `process` (see ListedProcessPath).
    CString ListedPath(const ProcessRecord& process) const;

private:
    const ListOrder& m_order;
    OSVERSIONINFOA m_version{};
    HMODULE m_library = nullptr;
    bool m_available = false;
};
