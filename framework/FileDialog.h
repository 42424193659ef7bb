// CFileDialog: the system's Explorer-style open or save dialog. The object is bound to the hook
// child window that the system creates inside the dialog (control id 0); the dialog window
// itself is that child's parent (GetParent). Subclasses adapt the dialog in OnInitDone.
#pragma once

#include "Dialog.h"

#include <commdlg.h>

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)

public:
    // An open dialog (`openFileDialog` TRUE) or a save dialog, proposing `fileName`; the system
    // appends `defaultExtension` to a name typed without one. There is no file-type filter.
    explicit CFileDialog(BOOL openFileDialog, const char* defaultExtension = nullptr,
                         const char* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, CWnd* parent = nullptr);

    // Runs the system's dialog, owned by the parent's top-level window or the application's
    // main window. IDOK when the user confirmed a file name, IDCANCEL otherwise.
    INT_PTR DoModal() override;
    // The full path that the user confirmed.
    CString GetPathName() const { return CString(m_szFileName); }

    // While the dialog runs: hide a control of the dialog window / set its text.
    void HideControl(int id);
    void SetControlText(int id, const char* text);

protected:
    // Called when the system has initialised the dialog (CDN_INITDONE).
    virtual void OnInitDone() {}

    // The hook child gets no commands of its own: leave any to the system.
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }

    DECLARE_MESSAGE_MAP()

private:
    void HandleInitDone(NMHDR*, LRESULT*) { OnInitDone(); }

    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    DWORD m_dwFlags;
    char m_szFileName[MAX_PATH];
};
