// CPathListBox: a list box whose entries show a file name and carry the file's full path.
#pragma once

#include <shlobj.h>

#include "controls/PathItem.h"
#include "framework/Controls.h"

class CPathListBox : public CListBox {
public:
    CPathListBox();
    ~CPathListBox() override;

    // --- item store ---
    // Adds an entry showing the path's file name; returns its index in the sorted list.
    int AddItem(const char* path, DWORD id);
    // Removes every entry and releases every record.
    void ClearItems();
    // Releases the record of one entry and detaches it; the entry's text stays.
    void FreeItemData(int index);
    // Copies the entry's full path into `buffer` (MAX_PATH characters) and returns its length.
    // Returns -1 and leaves the buffer untouched when the entry has no path or the path does not
    // fit the buffer.
    int GetItemPath(int index, char* buffer);
    // Sets `text` to the entry's full path; leaves it untouched when there is none. Returns 0.
    int GetItemText(int index, CString& text);
    // The entry's id, 0 when it has no record.
    DWORD GetItemId(int index);

protected:
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // The entry's record, or null when the index names no entry or it has no record.
    PathItem* GetRecord(int index);

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
};
