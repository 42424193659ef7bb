#include "controls/PathListBox.h"

#include <cstdlib>
#include <cstring>

#include "controls/TitleTipWnd.h"
#include "paths/DisplayName.h"

BEGIN_MESSAGE_MAP(CPathListBox, CListBox)
    ON_WM_RBUTTONUP()
    ON_WM_MENUSELECT()
    ON_WM_MOUSEMOVE()
    ON_WM_DESTROY()
    ON_WM_KILLFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_ACTIVATEAPP()
    ON_WM_RBUTTONDOWN()
    ON_WM_ACTIVATE()
    ON_WM_CAPTURECHANGED()
    ON_WM_TIMER()
    ON_MESSAGE(WM_MOUSEWHEEL, OnScrollInput)
    ON_MESSAGE(WM_VSCROLL, OnScrollInput)
    ON_MESSAGE(WM_HSCROLL, OnScrollInput)
    ON_MESSAGE(WM_KEYDOWN, OnScrollInput)
    ON_MESSAGE(WM_CHAR, OnScrollInput)
    ON_MESSAGE(LB_RESETCONTENT, OnEntriesChanged)
    ON_MESSAGE(LB_ADDSTRING, OnEntriesChanged)
    ON_MESSAGE(LB_INSERTSTRING, OnEntriesChanged)
    ON_MESSAGE(LB_DELETESTRING, OnEntriesChanged)
    ON_MESSAGE(LB_SETITEMDATA, OnEntriesChanged)
END_MESSAGE_MAP()

CPathListBox::CPathListBox()
    : m_nNoItem(-1), m_ptLast(0, 0), m_bCaptured(FALSE), m_pTipWnd(new CTitleTipWnd)
{
    EnableToolTips(TRUE);
}

CPathListBox::~CPathListBox()
{
    // A list box that goes before its window releases the records and the tip window now.
    DestroyOwnedWindow();
    delete m_pTipWnd;
}

PathItem* CPathListBox::GetRecord(int index)
{
    const DWORD_PTR data = GetItemData(index);
    if (data == 0 || data == static_cast<DWORD_PTR>(LB_ERR))
        return nullptr;
    return reinterpret_cast<PathItem*>(data);
}

int CPathListBox::AddItem(const char* path, DWORD id, bool faithful)
{
    CString name = DisplayNameOf(path);
    int index = static_cast<int>(::SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString())));
    // An index of -1 would give the record to every entry at once.
    if (index < 0)
        return index;
    PathItem* item = new PathItem{::_strdup(path), id, faithful};
    ::SendMessageA(m_hWnd, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(item));
    return index;
}

void CPathListBox::ClearItems()
{
    for (int index = 0; index < GetCount(); ++index)
        FreeItemData(index);
    ::SendMessageA(m_hWnd, LB_RESETCONTENT, 0, 0);
}

void CPathListBox::FreeItemData(int index)
{
    PathItem* item = GetRecord(index);
    if (!item)
        return;
    std::free(item->path);
    delete item;
    ::SendMessageA(m_hWnd, LB_SETITEMDATA, index, 0);
}

int CPathListBox::GetItemPath(int index, char* buffer)
{
    PathItem* item = GetRecord(index);
    if (!item || !item->path || !item->faithful)
        return -1;
    size_t length = std::strlen(item->path);
    if (length >= MAX_PATH)
        return -1;
    std::memcpy(buffer, item->path, length + 1);
    return static_cast<int>(length);
}

int CPathListBox::GetItemText(int index, CString& text)
{
    PathItem* item = GetRecord(index);
    if (item && item->path)
        text = item->path;
    return 0;
}

DWORD CPathListBox::GetItemId(int index)
{
    PathItem* item = GetRecord(index);
    return item ? item->id : 0;
}

void CPathListBox::OnDestroy()
{
    ShowTip(m_nNoItem);
    m_pTipWnd->DestroyWindow();
    // The list control forgets its entries with its window: release their records first.
    ClearItems();
    CListBox::OnDestroy();
}
