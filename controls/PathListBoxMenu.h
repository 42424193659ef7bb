// The shell context menu of the path lists: the menu's own command and the shell's command record.
#pragma once

#include <shlobj.h>

// The shell's commands get the ids from ID_SHELL_FIRST to ID_SHELL_LAST; the menu's own entry
// "Modulinformationen" lies in that range too and always wins.
constexpr UINT ID_SHELL_FIRST = 1;
constexpr UINT ID_SHELL_LAST = 0x7FFF;
constexpr UINT ID_MODULE_INFO = 1001;

// The record that asks the shell to carry out the shell command chosen as menu id `commandId`.
CMINVOKECOMMANDINFO ShellCommandInfo(HWND hwnd, UINT commandId);
