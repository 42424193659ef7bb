// wait: until no process holds a module, polling the system's view; it never touches a process.
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "enum/KnownModules.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "query/ModuleSearch.h"

namespace {

// The shortest time from one look at every process to the next.
const DWORD kPollMs = 500;
// The longest timeout, in seconds, whose milliseconds a DWORD holds.
const DWORD kLongestTimeout = 4294967;

// Whole seconds as --timeout gives them, in milliseconds; false for anything else.
bool TimeoutMs(const std::wstring& text, DWORD& ms)
{
    if (text.empty() || text.size() > 7 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    DWORD seconds = 0;
    for (wchar_t digit : text)
        seconds = seconds * 10 + static_cast<DWORD>(digit - L'0');
    ms = seconds * 1000;
    return seconds <= kLongestTimeout;
}

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
std::map<DWORD, ProcessRecord> Holders(const ModuleSearch& search)
{
    std::map<DWORD, ProcessRecord> holders;
    const DWORD own = OwnId();
    for (const LoadedModule& hit : search.hits)
        if (hit.process.id != own)
            holders.emplace(hit.process.id, hit.process);
    return holders;
}

std::wstring Named(const std::map<DWORD, ProcessRecord>& holders)
{
    std::wstring list;
    for (const auto& holder : holders)
        list += (list.empty() ? L"" : L", ") + Describe(holder.second);
    return Decimal(static_cast<DWORD>(holders.size())) + (holders.size() == 1 ? L" process: " : L" processes: ") + list;
}

bool SameIds(const std::map<DWORD, ProcessRecord>& a, const std::map<DWORD, ProcessRecord>& b)
{
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->first != j->first)
            return false;
    return true;
}

// Handles that become signalled when a holder ends, so that the next look follows the last
// holder's end at once instead of at the next poll; a holder that cannot be opened, or one past
// the most that one wait takes, is only polled. `ended` tells whether a holder ended during the
// look: what the look found is out of date then.
std::vector<KernelHandle> Ends(const std::map<DWORD, ProcessRecord>& holders, bool& ended)
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

int RunWait(const Arguments& arguments, Session& session)
{
    const std::wstring& module = arguments.operands[0];
    if (module.empty()) {
        session.Out().Error("wait: the module's name is empty; try --help");
        return kExitRefused;
    }
    DWORD timeout = 0;
    if (arguments.hasTimeout && !TimeoutMs(arguments.timeout, timeout)) {
        session.Out().Error(L"wait: --timeout takes whole seconds from 0 to " + Decimal(kLongestTimeout) + L", not \"" +
                            arguments.timeout + L"\"; try --help");
        return kExitRefused;
    }
    if (!session.Available())
        return kExitUnsure;
    const ModulePattern pattern(module);
    const DWORD start = ::GetTickCount();
    std::map<DWORD, ProcessRecord> named;
    // What each look learns of the modules' names serves the next: the answer comes as soon as
    // one look after the last holder's end.
    KnownModules known;
    bool hurried = false;  // the last pause was skipped
    for (;;) {
        const DWORD look = ::GetTickCount();
        ModuleSearch search;
        if (!FindModule(session.Engine(), pattern, search, &known.Namer())) {
            session.Out().Error("cannot read the process table");
            return kExitUnsure;
        }
        known.Sweep();
        const std::map<DWORD, ProcessRecord> holders = Holders(search);
        if (holders.empty()) {
            if (search.unread.empty())
                return kExitDone;
            // A holder may hide among the processes that could not be read: free is not known.
            session.ReportUnread(search.unread);
            session.Out().Error(L"no process that could be read holds " + module + L", but not every process could be read");
            return kExitUnsure;
        }
        if (!SameIds(holders, named))
            session.Out().Error(module + L" is held by " + Named(holders));
        named = holders;
        const DWORD now = ::GetTickCount(), waited = now - start, took = now - look;
        if (arguments.hasTimeout && waited >= timeout) {
            session.Out().Error(L"the time ran out: " + module + L" is still held by " + Named(holders));
            return kExitPartly;
        }
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
        if (arguments.hasTimeout)
            pause = std::min(pause, timeout - waited);
        Pause(ends, least, pause);
    }
}
