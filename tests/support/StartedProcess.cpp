#include "support/StartedProcess.h"

#include <doctest/doctest.h>

#include "support/Conversion.h"

namespace testing {

StartedProcess::StartedProcess(const std::wstring& command, const StartOptions& options)
{
    std::wstring line = command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool redirected = options.out || options.err;
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = options.out;
        startup.hStdError = options.err;
    }
    const BOOL started = ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, redirected, options.flags, nullptr,
                                          nullptr, &startup, &m_info);
    REQUIRE_MESSAGE(started, "error " << ::GetLastError() << " starting " << Utf8(command));
}

StartedProcess::~StartedProcess()
{
    End();
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

long StartedProcess::Wait(DWORD ms)
{
    if (::WaitForSingleObject(m_info.hProcess, ms) != WAIT_OBJECT_0) {
        End();
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return static_cast<long>(code);
}

void StartedProcess::End()
{
    // Gone for good before the next check lists the processes.
    if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_info.hProcess, 1);
        ::WaitForSingleObject(m_info.hProcess, 10000);
    }
}

}  // namespace testing
