// Helpers for tests that drive the system's file dialogs.
#pragma once

#include <windows.h>

#include <string>

namespace testing {

// The hook child of a file dialog: its child dialog with control id 0.
HWND HookChild(HWND fileDialog);
// The push button with id IDOK (the dialog may carry a toolbar with id 1 as well).
HWND OkButton(HWND fileDialog);
// Posts a button click to a dialog, as the dialog's own loop would deliver it.
void PostCommand(HWND dialog, int id);
// Makes the system forget the folders that its file dialogs last showed, which it remembers per
// program (Wine: LastVisitedMRU): without one, an open dialog starts in the current directory.
void ForgetLastFolders();

}  // namespace testing
