// Module names kept from one walk of the processes to the next, for a front end that looks at
// the same processes again and again: naming a module walks its process's module list in the
// process's memory, which under Wine makes one look at a dozen processes take most of a second.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "enum/ProcessWalk.h"

class KnownModules {
public:
    KnownModules();
    KnownModules(const KnownModules&) = delete;
    KnownModules& operator=(const KnownModules&) = delete;

    // Names a module as NameModule does, or as it named it before while the file mapped at the
    // module's address is still the one it was then.
    const ModuleNamer& Namer() const { return m_namer; }
    // Forgets the modules that no walk asked for since the last call: they are gone.
    void Sweep();

private:
    struct Known {
        std::wstring mapped;  // the file mapped at the module's address, as the kernel names it
        ModuleEntry entry;
        unsigned sweep;
    };
    bool Name(DWORD processId, HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry);

    std::map<std::pair<DWORD, HMODULE>, Known> m_known;
    unsigned m_sweep = 0;
    ModuleNamer m_namer;
};
