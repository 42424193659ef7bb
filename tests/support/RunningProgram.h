// The finished program started as a process of its own and driven from outside through its
// windows, as a user's clicks would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing {

// One run of a program, from its start until its dialog shows; ended (if still running) when
// the object goes.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& exe);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }
    DWORD Id() const { return m_info.dwProcessId; }
    // Waits for the program to end; its exit code, or -1 when it is still running.
    long WaitForExit(DWORD ms) const;
    // Clicks a button as the user would; returns once the program has handled it.
    void Click(int id) const;
    // Selects entry `index` of the process list with its selection notice, as a click would.
    void SelectProcess(int index) const;

private:
    PROCESS_INFORMATION m_info{};
    HWND m_dialog = nullptr;
};

// Another process's list box texts: the wide message carries the whole text across.
std::vector<std::string> RemoteListTexts(HWND list);

}  // namespace testing
