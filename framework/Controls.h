// Thin wrappers of the system's list box and button controls.
#pragma once

#include "Wnd.h"

class CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)

public:
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    // Sets `text` to the visible text of entry `index` and returns its length; LB_ERR, with
    // `text` unchanged, when the index names no entry.
    int GetText(int index, CString& text) const;
    int GetItemRect(int index, LPRECT rect) const
    {
        return static_cast<int>(SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
    }
    // The entry nearest to `point` (client coordinates); `outside` tells whether the point lies
    // outside every entry.
    UINT ItemFromPoint(CPoint point, BOOL& outside) const
    {
        DWORD result = static_cast<DWORD>(SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y)));
        outside = HIWORD(result);
        return LOWORD(result);
    }
    // Above 0 when the entry is selected, 0 when not, LB_ERR when the index names no entry.
    int GetSel(int index) const { return static_cast<int>(SendMessage(LB_GETSEL, index)); }
    // The entry with the focus rectangle (the caret of a multiple-selection list).
    int GetCaretIndex() const { return static_cast<int>(SendMessage(LB_GETCARETINDEX)); }
    DWORD_PTR GetItemData(int index) const
    {
        return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, index));
    }

    // Draws one entry of an owner-drawn list as `drawItem` describes; the base draws nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem) {}
};

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
};
