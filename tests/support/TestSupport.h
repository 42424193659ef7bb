// Helpers for tests that drive real windows under Wine.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controls/PathListBox.h"
#include "framework/Dialog.h"
#include "support/Conversion.h"

namespace testing {

// Runs `dialog` modally; `script` runs inside its modal loop once the dialog is up. The dialog
// is ended with IDCANCEL afterwards if the script left it open. Returns DoModal's result.
INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script);
// RunModal with `dialog` as the application's main window (which owns the windows that the
// dialog's commands show) for the length of the run.
INT_PTR RunAsMainWindow(CDialog& dialog, const std::function<void()>& script);

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

// The visible text of a window, also of another process, in UTF-8 whatever the ANSI code page.
std::string WindowText(HWND window);
// Whether a window's class is `className` (any case).
bool IsOfClass(HWND window, const char* className);
// The child window of `parent` with control id `id` and class `className`, or null. A dialog
// may have several children of one id (a file dialog's toolbar and its OK button).
HWND FindControl(HWND parent, int id, const char* className);
// A window's rectangle on the screen, and in the client coordinates of `parent`.
CRect WindowRect(HWND window);
CRect ClientRectOf(HWND parent, HWND window);
// The font a dialog of the program's templates gets: "MS Sans Serif" 8 point at the system's
// DPI and in the default character set, as the dialog manager makes it. The caller deletes it.
HFONT CreateDialogFont();
// The width of `text` in `font`.
int TextWidth(HFONT font, const std::string& text);

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

// An empty folder of its own for this test process, under the temporary folder, named `name`
// and the process id; without a trailing backslash. What an earlier run with the same id left
// there is removed first, and the folder with all in it when the process ends, whatever its
// checks found.
std::string FreshFolder(const char* name = "quendrix-dialog");

// The current directory made `folder` (UTF-8) while the owner lives, and the one before again
// when it goes. Fails the current test when either cannot be.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::wstring m_before;
};

// A key under HKEY_CURRENT_USER that a test writes: created by the owner, and deleted with all
// under it when the owner goes.
class UserKey {
public:
    explicit UserKey(std::string path);
    ~UserKey();
    UserKey(const UserKey&) = delete;
    UserKey& operator=(const UserKey&) = delete;
    // Sets a string value of the key, or of its subkey `subkey` ("\\Name"), made where missing.
    void Set(const char* value, const std::string& data, const std::string& subkey = "") const;

private:
    std::string m_path;
};

// A character (UTF-8) that the ANSI code page can represent, beyond ASCII, or one that it
// cannot: the system's own conversion chooses among a few candidates. Fails the current test
// when none of them will do.
std::string CharacterInCodePage();
std::string CharacterOutsideCodePage();

// The bytes of a file, or "<missing>" when it cannot be read; the wide form takes a whole path.
std::string FileContent(const std::string& path);
std::string FileContent(const std::wstring& path);
// The names of the files (not folders) in `folder`, which may end in a backslash.
std::set<std::string> FileNames(const std::string& folder);

// Whether the process `id` appears in either snapshot.
bool AppearsIn(DWORD id, const std::vector<SnapshotProcess>& before, const std::vector<SnapshotProcess>& after);

}  // namespace testing
