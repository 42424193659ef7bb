#include "controls/MonitorApi.h"

#include "framework/SystemLibrary.h"

PfnMonitorFromRect pfnMonitorFromRect;
PfnGetMonitorInfoA pfnGetMonitorInfoA;

namespace {

bool g_bMonitorApiBound = false;

}  // namespace

void BindMonitorApi()
{
    if (g_bMonitorApiBound)
        return;
    g_bMonitorApiBound = true;
    BindFromLoadedModule("user32.dll", EntryPoint{"MonitorFromRect", pfnMonitorFromRect},
                         EntryPoint{"GetMonitorInfoA", pfnGetMonitorInfoA});
}

CRect TipBounds(const RECT& row)
{
    BindMonitorApi();
    if (pfnMonitorFromRect && pfnGetMonitorInfoA) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        HMONITOR monitor = pfnMonitorFromRect(&row, MONITOR_DEFAULTTONEAREST);
        if (monitor && pfnGetMonitorInfoA(monitor, &info))
            return info.rcWork;
    }
    return CRect(0, 0, ::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN));
}
