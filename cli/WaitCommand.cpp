// wait: until no process holds a module; the engine looks and waits, this names the holders.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "query/Wait.h"

namespace {

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

std::wstring Named(const std::vector<ProcessRecord>& holders)
{
    std::vector<std::wstring> names;
    for (const ProcessRecord& holder : holders)
        names.push_back(Describe(holder));
    return Decimal(static_cast<DWORD>(holders.size())) + (holders.size() == 1 ? L" process: " : L" processes: ") +
           Listed(names);
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
    const WaitOutcome outcome =
        WaitUntilFree(session.Engine(), ModulePattern(module), arguments.hasTimeout ? &timeout : nullptr,
                      [&](const std::vector<ProcessRecord>& holders) {
                          session.Out().Error(module + L" is held by " + Named(holders));
                      });
    switch (outcome.end) {
    case WaitEnd::Free: return kExitDone;
    case WaitEnd::TimedOut:
        session.Out().Error(L"the time ran out: " + module + L" is still held by " + Named(outcome.holders));
        return kExitPartly;
    case WaitEnd::Unsure:
        // A holder may hide among the processes that could not be read: free is not known.
        session.ReportUnread(outcome.unread);
        session.Out().Error(L"no process that could be read holds " + module + L", but not every process could be read");
        return kExitUnsure;
    default:
        session.Out().Error("cannot read the process table");
        return kExitUnsure;
    }
}
