#include "enum/KnownModules.h"

#include "enum/EnumApi.h"

KnownModules::KnownModules()
    : m_namer([this](DWORD processId, HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry) {
          return Name(processId, process, module, mapped, entry);
      })
{
}

bool KnownModules::Name(DWORD processId, HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry)
{
    const std::wstring file = MappedFileName(process, module);
    if (file.empty())
        return NameModule(process, module, mapped, entry);
    Known& known = m_known[{processId, module}];
    known.sweep = m_sweep;
    // Another file at the address (or a process that took over the id) is named afresh.
    if (known.mapped != file) {
        if (!NameModule(process, module, mapped, entry)) {
            known.mapped.clear();
            return false;
        }
        known.mapped = file;
        known.entry = entry;
    }
    entry = known.entry;
    return true;
}

void KnownModules::Sweep()
{
    for (auto known = m_known.begin(); known != m_known.end();)
        known = known->second.sweep == m_sweep ? std::next(known) : m_known.erase(known);
    ++m_sweep;
}
