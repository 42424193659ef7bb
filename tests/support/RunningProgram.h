// The finished program started as a process of its own and driven from outside through its
// windows, as a user's clicks would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/StartedProcess.h"

namespace testing {

// One run of a program, from its start until its dialog shows; ended (if still running) when
// the object goes.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& exe);

    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }
    DWORD Id() const { return m_process.Id(); }
    // Waits for the program to end; its exit code, or -1 when it was still running and has been
    // ended.
    long WaitForExit(DWORD ms) { return m_process.Wait(ms); }
    // Clicks a button as the user would; returns once the program has handled it.
    void Click(int id) const;
    // Selects entry `index` of the process list with its selection notice, as a click would.
    void SelectProcess(int index) const;

private:
    StartedProcess m_process;
    HWND m_dialog = nullptr;
};

// Another process's list box texts, in the ANSI code page: the wide message carries the whole
// text across.
std::vector<std::string> RemoteListTexts(HWND list);
std::string RemoteListText(HWND list, int index);
// The entry of another process's list box that shows `text` (ASCII), -1 when none does.
int RemoteFindEntry(HWND list, const std::string& text);
// Entry `index` of another process's list box, in screen coordinates.
RECT RemoteRowOnScreen(HWND list, int index);
// A visible top-level window of process `processId` whose class name begins with `classPrefix`.
HWND FindVisibleWindow(DWORD processId, const std::string& classPrefix);

// Looks every 20 ms whether `done` holds; false when it still does not after `ms`.
bool WaitFor(const std::function<bool()>& done, int ms = 3000);

// The display's own pointer and keyboard, driven with xdotool, so that a program hears of them
// as of a real user's. Each fails the current test when xdotool cannot be run.
void Xdo(const std::string& arguments);
// Moves the pointer to `p` (screen coordinates) in one motion.
void PointerTo(POINT p);
// Presses and releases mouse button `button` at `p`: 1 left, 3 right; 4 and 5 turn the wheel
// up and down by one notch.
void ClickAt(POINT p, int button = 1);

}  // namespace testing
