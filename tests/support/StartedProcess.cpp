#include "support/StartedProcess.h"

#include <doctest/doctest.h>

#include "support/Conversion.h"

namespace testing {

namespace {

PROCESS_INFORMATION Start(const std::wstring& command, const StartOptions& options)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool redirected = options.out || options.err;
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = options.out;
        startup.hStdError = options.err;
    }
    PROCESS_INFORMATION started{};
    // Wine answers ERROR_INTERNAL_ERROR where the new process ended, with no status of its own,
    // while Wine was still starting it: before any code of the program ran. That is rare (none
    // in thousands of starts here), and the next start does not meet it.
    for (int attempt = 1;; ++attempt) {
        std::wstring line = command;
        if (::CreateProcessW(nullptr, &line[0], nullptr, nullptr, redirected, options.flags, nullptr, nullptr,
                             &startup, &started))
            return started;
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3)
            FAIL("error " << error << " starting " << Utf8(command) << " (attempt " << attempt << ")");
        MESSAGE(Utf8(command) << " ended while Wine was starting it (error " << error << "); starting it again");
    }
}

}  // namespace

StartedProcess::StartedProcess(const std::wstring& command, const StartOptions& options)
    : StartedProcess(Start(command, options))
{
}

StartedProcess::StartedProcess(const PROCESS_INFORMATION& started)
    : m_process(started.hProcess), m_thread(started.hThread), m_id(started.dwProcessId)
{
}

StartedProcess::~StartedProcess()
{
    End();
}

long StartedProcess::Wait(DWORD ms)
{
    if (::WaitForSingleObject(Handle(), ms) != WAIT_OBJECT_0) {
        End();
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(Handle(), &code);
    return static_cast<long>(code);
}

void StartedProcess::End()
{
    // Gone for good before the next check lists the processes.
    if (::WaitForSingleObject(Handle(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(Handle(), 1);
        ::WaitForSingleObject(Handle(), 10000);
    }
}

}  // namespace testing
