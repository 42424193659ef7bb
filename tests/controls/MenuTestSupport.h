// Shared by the context-menu tests: a temporary file for the shell to show, a list box in a
// host window that records what reaches it and its parent, and the files on the clipboard.
#pragma once

#include <string>
#include <vector>

#include "controls/PathListBox.h"

// A file in the temporary folder, removed again at the end.
struct TempFile {
    explicit TempFile(const char* name);
    ~TempFile();
    bool Exists() const;
    std::string folder;  // with its trailing backslash
    std::string name;
    std::string path;
};

// The path list with its context-menu members open to the test; records every message it gets.
class CProbeList : public CPathListBox {
public:
    using CPathListBox::ShowContextMenu;
    using CPathListBox::ShowShellMenu;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int Count(UINT message) const;
    std::vector<UINT> messages;
};

// A sorted, notifying list box in a visible top-level window, like the dialog's lists.
struct HostFixture {
    HostFixture();
    ~HostFixture();
    // Sends the release of the right button at `point` (client coordinates) and returns what
    // the parent window got meanwhile: "selchange", "contextmenu".
    std::vector<std::string> RightClick(POINT point);
    // What the parent window got since the right click began, while it is still running.
    static std::vector<std::string> ParentEventsSoFar();
    // A point inside the entry's row.
    POINT RowPoint(int index);
    HWND host;
    CProbeList list;
};

// The text (without '&') of the entry that carries out `verb` ("copy", "cut", "properties") in
// the shell's own context menu for the file `path`: entries are labelled in the user's
// language, their verbs are not. Fails the current test when the menu has no such entry.
std::string ShellVerbLabel(const std::string& path, const char* verb);

// The files that the clipboard holds as a file drop, in order.
std::vector<std::string> ClipboardFiles();
void EmptyTheClipboard();
