// CDialog: a dialog from a template in the resources, run modally by the framework's own loop.
#pragma once

#include "Wnd.h"

// What a data exchange is doing: filling the controls, or reading them back.
struct CDataExchange {
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id` (once), routing its messages through the object.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

    // Creates the dialog, runs it until EndDialog, destroys it; returns EndDialog's result,
    // or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Ends the modal run with `result`.
    void EndDialog(int result);
    // Whether the modal loop runs and no EndDialog has ended it yet.
    bool ContinueModal() const { return m_bContinueModal; }

    virtual BOOL OnInitDialog();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    void HandleOK() { OnOK(); }
    void HandleCancel() { OnCancel(); }

protected:
    // The window that owns the dialog while it runs: the parent's top-level window or the
    // application's main window.
    HWND FindOwner() const;

private:
    void RunModalLoop();

    UINT m_nIDTemplate;
    const void* m_pTemplate = nullptr;  // the template while DoModal makes the dialog
    DWORD m_templateSize = 0;
    CWnd* m_pParentWnd;
    bool m_bContinueModal = false;
    int m_nModalResult = -1;
};
