// The main dialog's enumeration: binding a back end, and filling the process and module lists.
#include "app/ViewerDlg.h"

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
    m_backend = std::make_unique<Backend>(m_listOrder);
    m_osvi = m_backend->Version();
    m_hEnumLibrary = m_backend->Library();
    BOOL available = IsBackendAvailable();
    m_btnRefresh.EnableWindow(available);
    if (available)
        RefreshLists();
}

BOOL CViewerDlg::IsBackendAvailable()
{
    return EnumBackendAvailable(m_osvi);
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
    m_lstProcesses.SetCurSel(0);
    if (m_lstProcesses.GetCount() > 0)
        FillModuleList(m_lstProcesses.GetItemId(0));
}

void CViewerDlg::OnRefresh()
{
    RefreshLists();
}

void CViewerDlg::OnSelchangeProcessList()
{
    RedrawHold holdModules(m_lstModules);
    m_lstModules.ClearItems();
    int selected = m_lstProcesses.GetCurSel();
    if (selected < 0)
        return;
    FillModuleList(m_lstProcesses.GetItemId(selected));
}

void CViewerDlg::FillModuleList(DWORD processId)
{
    if (IsNtPlatform())
        FillModuleListNt(processId);
    else
        FillModuleListToolhelp(processId);
}

// The fillers add what the engine's walks deliver. The first record of every tool-help
// snapshot never shows, and the module list leaves out the process's executable.

BOOL CViewerDlg::FillProcessListNt()
{
    return WalkProcessesNt(ProcessAdder());
}

BOOL CViewerDlg::FillProcessListToolhelp()
{
    WalkProcessesToolhelp(FirstEntry::Skip, ProcessAdder());
    return TRUE;
}

BOOL CViewerDlg::FillModuleListToolhelp(DWORD processId)
{
    WalkModulesToolhelp(processId, FirstEntry::Skip, ModuleAdder());
    return TRUE;
}

BOOL CViewerDlg::FillModuleListNt(DWORD processId)
{
    WalkModulesNt(processId, FirstEntry::Skip, ModuleAdder());
    return TRUE;
}

EntrySink CViewerDlg::ProcessAdder()
{
    return [this](const char* path, DWORD id) { m_lstProcesses.AddItem(path, id); };
}

ModuleSink CViewerDlg::ModuleAdder()
{
    return [this](const ModuleEntry& module) { m_lstModules.AddItem(module.path, 0, module.faithful); };
}
