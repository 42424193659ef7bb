// CFolderDialog: the system's open-file dialog reshaped into a folder chooser. Select takes the
// folder the dialog shows (the process's current directory) into the caller's string.
#pragma once

#include "framework/FileDialog.h"

// Where the reshaped dialog puts its OK button and how tall its file list becomes, all in the
// dialog window's client coordinates: OK stands on Cancel's row, 4 pixels left of it; the list
// ends 4 pixels above the button row.
struct FolderDialogLayout {
    POINT okPosition;
    SIZE listSize;
};
FolderDialogLayout ComputeFolderDialogLayout(const RECT& cancel, const RECT& ok, const RECT& list);

class CFolderDialog : public CFileDialog {
    DECLARE_DYNAMIC(CFolderDialog)

public:
    // `pstrFolder` receives the chosen folder, and only when the user presses Select.
    explicit CFolderDialog(CString* pstrFolder);

    CString* m_pstrFolder;

protected:
    void OnInitDone() override;

    DECLARE_MESSAGE_MAP()
};

// The window procedure that the reshaped dialog window runs; Select ends the dialog here.
LRESULT CALLBACK FolderDlgWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The procedure the dialog window had before; one folder dialog is open at a time.
extern WNDPROC g_pfnPrevFolderDlgProc;
