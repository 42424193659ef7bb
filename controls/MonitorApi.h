// The monitor functions of user32, which Windows 95 and NT 4.0 lack: bound by name at run time,
// each null until bound and null where the system has none.
#pragma once

#include <windows.h>

#include "framework/Geometry.h"

using PfnMonitorFromRect = HMONITOR(WINAPI*)(LPCRECT rect, DWORD flags);
using PfnGetMonitorInfoA = BOOL(WINAPI*)(HMONITOR monitor, LPMONITORINFO info);

extern PfnMonitorFromRect pfnMonitorFromRect;
extern PfnGetMonitorInfoA pfnGetMonitorInfoA;

// Binds the monitor functions, once per process; later calls change nothing.
void BindMonitorApi();

// Where a tip over `row` (screen coordinates) may lie: the work area of the monitor that holds
// the row; without the monitor functions, from 0 to GetSystemMetrics(SM_CXFULLSCREEN).
CRect TipBounds(const RECT& row);
