// A process that a test started, owned: a failed check cannot leave it running behind the test.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace testing {

// Where a started process writes and how it is created: its standard output and error go to
// `out` and `err` where given (inherited for it); `flags` are those of CreateProcess.
struct StartOptions {
    HANDLE out = nullptr;
    HANDLE err = nullptr;
    DWORD flags = 0;
};

// One started process. The owner ends it where it still runs, waits for its end and closes its
// handles when it goes.
class StartedProcess {
public:
    // Starts `command` (the program's path in quotes, then its arguments); fails the current
    // test, with the system's error, when the process cannot be started.
    explicit StartedProcess(const std::wstring& command, const StartOptions& options = {});
    ~StartedProcess();
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;

    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process.Get(); }
    // Waits at most `ms` for the process to end and gives its exit code; when it is still
    // running then, it is ended and the answer is -1.
    long Wait(DWORD ms);
    // Ends the process where it still runs, and waits until it is gone.
    void End();

private:
    explicit StartedProcess(const PROCESS_INFORMATION& started);

    KernelHandle m_process;
    KernelHandle m_thread;
    DWORD m_id;
};

}  // namespace testing
