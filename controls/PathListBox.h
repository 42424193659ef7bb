// CPathListBox: a list box whose entries show a file name and carry the file's full path.
#pragma once

#include <shlobj.h>

#include "controls/PathItem.h"
#include "framework/Controls.h"

class CTitleTipWnd;

class CPathListBox : public CListBox {
public:
    CPathListBox();
    ~CPathListBox() override;

    // --- item store ---
    // Adds an entry showing the path's file name; returns its index in the sorted list. A path
    // that is not `faithful` names another file than the entry's (the system bent a character
    // that the ANSI code page lacks): it is shown, but never opened, read or copied.
    int AddItem(const char* path, DWORD id, bool faithful = true);
    // Removes every entry and releases every record.
    void ClearItems();
    // Releases the record of one entry and detaches it; the entry's text stays.
    void FreeItemData(int index);
    // Copies the entry's full path into `buffer` (MAX_PATH characters) and returns its length.
    // Returns -1 and leaves the buffer untouched when the entry has no path, the path does not
    // fit the buffer, or it names another file than the entry's.
    int GetItemPath(int index, char* buffer);
    // Sets `text` to the entry's full path; leaves it untouched when there is none. Returns 0.
    int GetItemText(int index, CString& text);
    // The entry's id, 0 when it has no record.
    DWORD GetItemId(int index);

    // --- title tips (PathListBoxTips.cpp) ---
    // The rectangle (client coordinates) that the tip over entry `nIndex` covers: the row,
    // widened to the right for the full path. LB_ERR, and `lpRect` untouched, for no entry.
    virtual int GetTipRect(int nIndex, LPRECT lpRect);
    // Shows the tip over entry `nIndex`, or hides it for m_nNoItem; holds the mouse capture
    // exactly while the tip is up.
    void ShowTip(int nIndex);
    // Takes the mouse capture for the tip, so that the list box sees the mouse leave.
    void CaptureMouse();
    // Whether tips may appear: the application's main window is (inside) the active window.
    BOOL IsAppActive();
    // Any button message hides the tip before the list control sees it.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // --- shell context menu (PathListBoxMenu.cpp) ---
    // A right-button release over an entry selects it and opens the shell's menu of its file.
    void OnRButtonUp(UINT nFlags, CPoint point);
    // Builds, shows and carries out the context menu of `item` (relative to `folder`) at
    // `screenPoint`; neither frees the item nor releases the folder.
    void ShowContextMenu(HWND hwndOwner, IShellFolder* folder, LPITEMIDLIST item, POINT* screenPoint);
    // The open menu's selection notices, which arrive here because the list box owns the menu.
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    // Selects the entry and opens its menu; false when the walk to its file was abandoned.
    bool OpenEntryMenu(int index, CPoint point);
    // Walks from the desktop to the file at `path` and shows its menu at `screenPoint`. Takes
    // over `desktop` and releases it; false when the walk was abandoned.
    bool ShowShellMenu(IMalloc* malloc, IShellFolder* desktop, const char* path, POINT screenPoint);

    // --- title-tip tracking (PathListBoxTips.cpp) ---
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnDestroy();
    void OnKillFocus(CWnd* pNewWnd);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnActivateApp(BOOL bActive, HTASK hTask);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    void OnCaptureChanged(CWnd* pWnd);
    // While the tip is up: hides it once the pointer has left the tip's entry.
    void OnTimer(UINT_PTR nIDEvent);
    // The wheel, the scroll bar and the keys, which may scroll the list under a resting pointer.
    LRESULT OnScrollInput(WPARAM wParam, LPARAM lParam);
    // Entries added, removed or given another record, or all of them removed (a refill): another
    // path may now lie under a resting pointer.
    LRESULT OnEntriesChanged(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

    int m_nNoItem;                // the index that means no entry: -1
    CPoint m_ptLast;              // the last mouse position hit-tested, client coordinates
    BOOL m_bCaptured;             // the list box holds a capture that it took for the tip
    CTitleTipWnd* m_pTipWnd;      // owned; its window exists from the first ShowTip

private:
    // The entry's record, or null when the index names no entry or it has no record.
    PathItem* GetRecord(int index);
    // Gives up the capture taken for the tip, unless another window has taken it meanwhile.
    void ReleaseTipCapture();
    // The entry whose row holds `point` (client coordinates), m_nNoItem when none does.
    int EntryAt(CPoint point);
    // The entry under the pointer, whose position `point` receives in client coordinates;
    // m_nNoItem also when another window than the list box and its tip lies under the pointer.
    int EntryUnderPointer(CPoint& point);
    // Whether the tip shows entry `nIndex` with the path that the entry holds now.
    bool TipShows(int nIndex);
};
