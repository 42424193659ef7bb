// CPathListBox: a list box whose entries show a file name and carry the file's full path.
#pragma once

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
};
