// CTitleTipWnd: the popup that a CPathListBox lays over one of its entries to show the full path.
#pragma once

#include "framework/Wnd.h"

class CDC;
class CPathListBox;

// Whether a list box style draws its entries through the owner (fixed or variable height).
bool IsOwnerDrawStyle(DWORD style);
// The itemState of an owner-drawn tip: `selection` is LB_GETSEL's answer for the entry, `caret`
// LB_GETCARETINDEX's; a single-selection list always draws the tip with the focus.
UINT TipItemState(int selection, DWORD listStyle, int caret, int item);

class CTitleTipWnd : public CWnd {
public:
    // Registers the tip's window class with the first tip object of the process.
    CTitleTipWnd();
    ~CTitleTipWnd() override;

    // Creates the hidden popup, owned by the list box's top-level window.
    virtual BOOL Create(CPathListBox* pListBox);
    // Shows the tip topmost, without activating it, over `rect` (screen coordinates) for entry
    // `nItem`; repaints only when the entry or its path changes, moves only when the rectangle
    // does.
    virtual BOOL Show(CRect rect, int nItem);
    virtual BOOL Hide();
    // The entry shown last, also while the tip is hidden; -1 before the first Show.
    int GetItem() const { return m_nItem; }
    // The path that entry had when it was shown last.
    const CString& GetPath() const { return m_strPath; }
    // Whether the owner list box draws its own entries; then so does the tip.
    BOOL IsOwnerDraw();

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()

    int m_nNoItem;
    int m_nItem;                 // the entry shown last, also while hidden
    CString m_strPath;           // that entry's path when it was shown
    CPathListBox* m_pListBox;    // the owner, not owned

private:
    // The owner's DrawItem paints the entry into the tip's client area.
    void PaintOwnerDrawn(HDC dc, const CRect& client);
    // Paints the full path in the list's font and the entry's selection colours.
    void PaintPath(CDC& dc, const CRect& client);
};
