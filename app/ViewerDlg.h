// CViewerDlg: the main dialog with the process list, the module list and the command buttons.
#pragma once

#include <memory>

#include "controls/HiddenListOrder.h"
#include "controls/PathListBox.h"
#include "enum/Backend.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/resource.h"

class CViewerDlg : public CDialog {
public:
    explicit CViewerDlg(CWnd* parent = nullptr);

protected:
    // --- application and main window ---
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Appends the separator and "&About Quendrix..." to the system menu.
    void AddAboutMenuItem();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    LRESULT HandleQueryDragIcon(WPARAM, LPARAM);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnContextMenu(WPARAM, LPARAM);

    // --- process and module enumeration (ViewerDlgEnum.cpp, on the engine of enum/) ---
    // Makes the back end, which probes the platform and binds the functions of its back end.
    void BindBackend();
    BOOL IsBackendAvailable();
    void RefreshLists();
    void OnRefresh();
    void OnSelchangeProcessList();
    BOOL FillProcessListNt();
    BOOL FillProcessListToolhelp();
    BOOL FillModuleListNt(DWORD processId);
    BOOL FillModuleListToolhelp(DWORD processId);
    // Fills the module list through the platform's back end.
    void FillModuleList(DWORD processId);
    bool IsNtPlatform() const { return IsNtFamily(m_osvi); }
    // What the engine's walks hand on goes into the process list, or the module list.
    EntrySink ProcessAdder();
    ModuleSink ModuleAdder();

    // --- export (ViewerDlgExport.cpp, on the engine of export/) ---
    void OnSaveList();
    // Writes the module report of the selected process into `fileName`; tells the user when
    // the file could not be written completely.
    void WriteModuleReport(const char* fileName);
    void OnCopyModules();

    DECLARE_MESSAGE_MAP()

    CButton m_btnCopyModules;
    CButton m_btnSaveList;
    CButton m_btnClose;
    CButton m_btnRefresh;
    CPathListBox m_lstModules;
    CPathListBox m_lstProcesses;
    HICON m_hIcon;
    OSVERSIONINFOA m_osvi;
    HMODULE m_hEnumLibrary;
    // The back end, made once by BindBackend, and the list that orders its dialog's lists.
    HiddenListOrder m_listOrder;
    std::unique_ptr<Backend> m_backend;
};
