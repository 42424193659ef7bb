#include "query/Wait.h"

#include <algorithm>
#include <map>
#include <utility>

#include "enum/KnownModules.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "query/ModuleSearch.h"

namespace {

// The shortest time from one look at every process to the next.
const DWORD kPollMs = 500;

using Holders = std::map<DWORD, ProcessRecord>;

// This process's id; 0, which names no process that loads modules, when it cannot be told.
DWORD OwnId()
{
    // Bound, not imported: the import floor takes only what the platform reference names for
    // Windows 95 and NT 4.0, and its page for this function names later systems only.
    static DWORD(WINAPI * pfnGetCurrentProcessId)() = nullptr;
    return BindFromLoadedModule("kernel32.dll", EntryPoint{"GetCurrentProcessId", pfnGetCurrentProcessId})
               ? pfnGetCurrentProcessId()
               : 0;
}

// The processes but this one that hold the module, by id: this program loaded what it loaded
// only to look, and ends with the wait.
Holders HoldersOf(const ModuleSearch& search)
{
    Holders holders;
    const DWORD own = OwnId();
    for (const LoadedModule& hit : search.hits)
        if (hit.process.id != own)
            holders.emplace(hit.process.id, hit.process);
    return holders;
}

std::vector<ProcessRecord> ById(const Holders& holders)
{
    std::vector<ProcessRecord> processes;
    for (const auto& holder : holders)
        processes.push_back(holder.second);
    return processes;
}

bool SameIds(const Holders& a, const Holders& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) { return x.first == y.first; });
}

// Handles that become signalled when a holder ends, so that the next look follows the last
// holder's end at once instead of at the next poll; a holder that cannot be opened, or one past
// the most that one wait takes, is only polled. `ended` tells whether a holder ended during the
// look: what the look found is out of date then.
std::vector<KernelHandle> Ends(const Holders& holders, bool& ended)
{
    std::vector<KernelHandle> ends;
    ended = false;
    for (const auto& holder : holders) {
        KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, holder.first));
        if (!process)
            ended = ended || ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
        else if (::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT)
            ended = true;
        else if (ends.size() < MAXIMUM_WAIT_OBJECTS)
            ends.push_back(std::move(process));
    }
    return ends;
}

// Sleeps `pause` ms, but not past the end of one of `ends` once `least` ms have gone.
void Pause(const std::vector<KernelHandle>& ends, DWORD least, DWORD pause)
{
    least = std::min(least, pause);
    ::Sleep(least);
    std::vector<HANDLE> handles;
    for (const KernelHandle& end : ends)
        handles.push_back(end.Get());
    const DWORD rest = pause - least;
    if (handles.empty() ||
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, rest) == WAIT_FAILED)
        ::Sleep(rest);
}

}  // namespace

WaitOutcome WaitUntilFree(const Backend& backend, const ModulePattern& pattern, const DWORD* timeoutMs,
                          const std::function<void(const std::vector<ProcessRecord>& holders)>& changed)
{
    const DWORD start = ::GetTickCount();
    Holders named;
    // What each look learns of the modules' names serves the next: the answer comes as soon as
    // one look after the last holder's end.
    KnownModules known;
    bool hurried = false;  // the last pause was skipped
    for (;;) {
        const DWORD look = ::GetTickCount();
        ModuleSearch search;
        if (!FindModule(backend, pattern, search, &known.Namer()))
            return {WaitEnd::Unreadable, {}, {}};
        known.Sweep();
        const Holders holders = HoldersOf(search);
        if (holders.empty())
            return {search.unread.empty() ? WaitEnd::Free : WaitEnd::Unsure, {}, search.unread};
        if (!SameIds(holders, named))
            changed(ById(holders));
        named = holders;
        const DWORD now = ::GetTickCount(), waited = now - start, took = now - look;
        if (timeoutMs && waited >= *timeoutMs)
            return {WaitEnd::TimedOut, ById(holders), search.unread};
        // Half a second between looks, and never less idle time than a look takes: the program
        // uses at most half of one processor however many processes there are, but for the look
        // after a holder's end. That end cuts the idle time short, not the half second; one that
        // ended during the look skips it, but never twice in a row (a process may linger in the
        // list after its end).
        bool ended = false;
        const std::vector<KernelHandle> ends = Ends(holders, ended);
        const DWORD least = took < kPollMs ? kPollMs - took : 0;
        DWORD pause = ended && !hurried ? least : std::max(least, took);
        hurried = ended && !hurried;
        if (timeoutMs)
            pause = std::min(pause, *timeoutMs - waited);
        Pause(ends, least, pause);
    }
}
