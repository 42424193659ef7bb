// Helpers for tests that drive real windows under Wine.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controls/PathListBox.h"
#include "framework/Dialog.h"

namespace testing {

// Runs `dialog` modally; `script` runs inside its modal loop once the dialog is up. The dialog
// is ended with IDCANCEL afterwards if the script left it open. Returns DoModal's result.
INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script);

// Processes the messages that are waiting, through the framework's pre-translation, as the
// modal loop would; then waits `ms` milliseconds and does it again.
void Pump(int ms = 0);
// Processes messages as Pump does until `done` holds, at most `timeoutMs` milliseconds; returns
// whether it came to hold.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// The visible texts of a list box's entries, in order.
std::vector<std::string> ListTexts(HWND listBox);

// The top-level window of this process with the given window class (e.g. "#32770") owned by
// `owner`, or null.
HWND FindOwnedWindow(HWND owner, const char* className);

// The texts of a message box's static controls, joined with '\n', in UTF-8.
std::string MessageBoxText(HWND box);

// Sends the clicks of a push button through its parent, as a real click would arrive.
void ClickButton(HWND dialog, int id);

// The directory of the test executable, with a trailing backslash.
std::string ExeDirectory();

// The program as this build names it (Quendrix.exe; Quendrix64.exe in the 64-bit build), and
// its full path in the build tree.
std::string ProgramFileName();
std::string ProgramPath();

// Selects the entry of `list` whose id is `id` and sends its parent the selection notice, as a
// click would. Returns the entry's index, -1 when no entry has that id.
int SelectEntryById(CPathListBox& list, DWORD id);

// Runs `action` on the first visible window of class `className` owned by `owner` once it
// appears, polling from a timer so that the action runs inside the modal loop that shows the
// window. Returns at once; the watch ends with the action, or unanswered after `timeoutMs`.
// Actions should post rather than send what ends a modal loop, and must not throw.
void WhenOwnedWindowAppears(HWND owner, const char* className, std::function<void(HWND)> action,
                            int timeoutMs = 15000);
// Ends every watch that has not seen its window yet.
void CancelWatches();

// The file name box of an open or save dialog: edt1 where the dialog has one, else the edit
// field inside cmb13 (Wine). Null when there is none.
HWND FileNameBox(HWND fileDialog);
// One item of a menu, as the menu shows it.
struct MenuItem {
    UINT id;
    bool separator;
    std::string text;  // with its '&' marks
    UINT type;         // MFT_STRING, MFT_SEPARATOR, ...
};
// The items of a menu, in order.
std::vector<MenuItem> MenuItems(HMENU menu);

// The visible text of a window.
std::string WindowText(HWND window);

// A process as the system's tool-help snapshot lists it: its id and its executable's name.
struct SnapshotProcess {
    DWORD id;
    std::string exe;
    bool operator==(const SnapshotProcess& o) const { return id == o.id && exe == o.exe; }
};
// The processes running now, in the snapshot's order.
std::vector<SnapshotProcess> SnapshotProcesses();
// The processes of `before` that `after` lists too: those that ran all the time in between.
std::vector<SnapshotProcess> Survivors(const std::vector<SnapshotProcess>& before,
                                       const std::vector<SnapshotProcess>& after);
// This process's modules but its executable, as the system's tool-help snapshot lists them:
// their full paths, and their display names (what the program's module list shows).
std::vector<std::string> OwnModulePaths();
std::multiset<std::string> OwnModuleNames();

// The bytes of a file, or "<missing>" when it cannot be read.
std::string FileContent(const std::string& path);

// Whether the process `id` appears in either snapshot.
bool AppearsIn(DWORD id, const std::vector<SnapshotProcess>& before, const std::vector<SnapshotProcess>& after);

}  // namespace testing
