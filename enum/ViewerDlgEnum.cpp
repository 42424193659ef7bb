// The main dialog's enumeration: binding a back end, and filling the process and module lists.
#include "app/ViewerDlg.h"
#include "enum/EnumApi.h"

#include <algorithm>

namespace {

// Holds a list's drawing while it is refilled: a visible list box redraws its scroll bars at
// every insertion, which costs far more than the listing itself. One repaint follows.
class RedrawHold {
public:
    explicit RedrawHold(CWnd& list) : m_list(list) { m_list.SetRedraw(FALSE); }
    ~RedrawHold() { m_list.SetRedraw(TRUE); }
    RedrawHold(const RedrawHold&) = delete;
    RedrawHold& operator=(const RedrawHold&) = delete;

private:
    CWnd& m_list;
};

}  // namespace

void CViewerDlg::BindBackend()
{
    m_hEnumLibrary = nullptr;
    m_osvi.dwOSVersionInfoSize = sizeof m_osvi;
    if (!::GetVersionExA(&m_osvi))
        m_osvi.dwOSVersionInfoSize = 0;
    else if (IsNtPlatform())
        m_hEnumLibrary = BindNtBackend();
    else
        m_hEnumLibrary = BindToolhelpBackend();

    BOOL available = IsBackendAvailable();
    m_btnRefresh.EnableWindow(available);
    if (available)
        RefreshLists();
}

BOOL CViewerDlg::IsBackendAvailable()
{
    if (m_osvi.dwOSVersionInfoSize == 0)
        return FALSE;
    return IsNtPlatform() ? NtBackendBound() : ToolhelpBackendBound();
}

void CViewerDlg::RefreshLists()
{
    RedrawHold holdProcesses(m_lstProcesses);
    RedrawHold holdModules(m_lstModules);
    m_lstProcesses.ClearItems();
    m_lstModules.ClearItems();
    if (IsBackendAvailable()) {
        if (IsNtPlatform())
            FillProcessListNt();
        else
            FillProcessListToolhelp();
    }
    // The list control sends no selection notice for LB_SETCURSEL, so the modules of the new
    // selection are listed here.
    ::SendMessageA(m_lstProcesses.m_hWnd, LB_SETCURSEL, 0, 0);
    if (m_lstProcesses.GetCount() > 0) {
        DWORD id = m_lstProcesses.GetItemId(0);
        if (IsNtPlatform())
            FillModuleListNt(id);
        else
            FillModuleListToolhelp(id);
    }
}

void CViewerDlg::OnRefresh()
{
    RefreshLists();
}

void CViewerDlg::OnSelchangeProcessList()
{
    RedrawHold holdModules(m_lstModules);
    m_lstModules.ClearItems();
    int selected = static_cast<int>(::SendMessageA(m_lstProcesses.m_hWnd, LB_GETCURSEL, 0, 0));
    if (selected < 0)
        return;
    DWORD id = m_lstProcesses.GetItemId(selected);
    if (IsNtPlatform())
        FillModuleListNt(id);
    else
        FillModuleListToolhelp(id);
}

BOOL CViewerDlg::FillProcessListNt()
{
    DWORD ids[1024];
    DWORD bytes = 0;
    if (!pfnEnumProcesses || !pfnEnumProcesses(ids, sizeof ids, &bytes))
        return FALSE;
    DWORD count = std::min<DWORD>(bytes, sizeof ids) / sizeof ids[0];
    for (DWORD i = 0; i < count; ++i)
        m_lstProcesses.AddItem(GetProcessImagePath(ids[i]), ids[i]);
    return TRUE;
}

BOOL CViewerDlg::FillProcessListToolhelp()
{
    if (!pfnCreateToolhelp32Snapshot || !pfnProcess32First || !pfnProcess32Next)
        return TRUE;
    HANDLE snapshot = pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (!snapshot || snapshot == INVALID_HANDLE_VALUE)
        return TRUE;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    // The record of the first call is overwritten by the second before it is listed: the
    // snapshot's first process never shows.
    if (pfnProcess32First(snapshot, &entry)) {
        while (pfnProcess32Next(snapshot, &entry))
            m_lstProcesses.AddItem(entry.szExeFile, entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return TRUE;
}

BOOL CViewerDlg::FillModuleListToolhelp(DWORD processId)
{
    if (!pfnModule32First || !pfnModule32Next || !pfnCreateToolhelp32Snapshot)
        return TRUE;
    HANDLE snapshot = pfnCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (!snapshot || snapshot == INVALID_HANDLE_VALUE)
        return TRUE;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    // As with processes, the snapshot's first module never shows.
    if (pfnModule32First(snapshot, &entry)) {
        while (pfnModule32Next(snapshot, &entry))
            m_lstModules.AddItem(entry.szExePath, 0);
    }
    ::CloseHandle(snapshot);
    return TRUE;
}

BOOL CViewerDlg::FillModuleListNt(DWORD processId)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return TRUE;
    HMODULE modules[1024];
    DWORD needed = 0;
    if (pfnGetModuleFileNameExA && EnumEveryProcessModule(process, modules, sizeof modules, &needed)) {
        DWORD count = std::min<DWORD>(needed, sizeof modules) / sizeof modules[0];
        // Index 0 is the executable, which the process list already shows.
        for (DWORD i = 1; i < count; ++i) {
            char path[MAX_PATH];
            DWORD length = pfnGetModuleFileNameExA(process, modules[i], path, MAX_PATH);
            // A module whose file name cannot be read has nothing to show, open or copy.
            if (length > 0 && length < MAX_PATH) {
                path[length] = '\0';
                m_lstModules.AddItem(path, 0);
            }
        }
    }
    ::CloseHandle(process);
    return TRUE;
}
