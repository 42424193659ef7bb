// The title tips of CPathListBox: following the mouse over the entries, placing the tip and
// holding the mouse capture while the tip is up, so that the list box sees the mouse leave.
#include "controls/PathListBox.h"

#include "controls/MonitorApi.h"
#include "controls/TipGeometry.h"
#include "controls/TitleTipWnd.h"
#include "framework/Dc.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

// While a tip is up the list box looks this often whether the pointer is still over the tip's
// entry: a pointer that leaves the program's windows in one quick motion sends no further move,
// capture or not. The id is one that the list control does not use for timers of its own.
const UINT_PTR kTipTimer = 0x5154;
const UINT kTipCheckMs = 100;

}  // namespace

int CPathListBox::GetTipRect(int nIndex, LPRECT lpRect)
{
    DWORD style = GetStyle();
    // The row is read into a rectangle of our own: some list controls empty the caller's
    // rectangle for an index that names no entry.
    CRect row;
    int result = GetItemRect(nIndex, row);
    if (result == LB_ERR)
        return result;
    *lpRect = row;
    // An owner-drawn entry draws itself into exactly its row.
    if (IsOwnerDrawStyle(style))
        return result;
    CString text;
    GetItemText(nIndex, text);
    if (text.IsEmpty())
        return result;
    SIZE extent{};
    {
        CClientDC dc(this);
        CGdiObject* font = CGdiObject::FromHandle(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        CGdiObject* previous = dc.SelectObject(font);
        ::GetTextExtentPoint32A(dc.m_hDC, text, text.GetLength(), &extent);
        dc.SelectObject(previous);
    }
    *lpRect = WidenTipRect(row, extent.cx);
    return result;
}

void CPathListBox::ShowTip(int nIndex)
{
    if (!::IsWindow(m_pTipWnd->m_hWnd))
        m_pTipWnd->Create(this);
    if (nIndex == m_nNoItem) {
        m_pTipWnd->Hide();
    } else {
        CRect rect;
        GetTipRect(nIndex, rect);
        ClientToScreen(rect);
        // The tip stays on the monitor of its entry, which may lie left of the primary one.
        CRect row;
        GetItemRect(nIndex, row);
        ClientToScreen(row);
        rect = ClampTipRect(rect, TipBounds(row));
        m_pTipWnd->Show(rect, nIndex);
    }
    if (m_pTipWnd->IsWindowVisible()) {
        ::SetTimer(m_hWnd, kTipTimer, kTipCheckMs, nullptr);
        if (!m_bCaptured && ::GetCapture() != m_hWnd)
            CaptureMouse();
    } else {
        ::KillTimer(m_hWnd, kTipTimer);
        // Releasing sends WM_CAPTURECHANGED at once, which comes back here while m_bCaptured
        // is still set.
        if (m_bCaptured)
            ReleaseTipCapture();
    }
}

void CPathListBox::CaptureMouse()
{
    // A move reported at the point where the capture is taken is not hit-tested again.
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    m_ptLast = cursor;
    SetCapture();
    m_bCaptured = TRUE;
}

void CPathListBox::ReleaseTipCapture()
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_bCaptured = FALSE;
}

BOOL CPathListBox::IsAppActive()
{
    CWinThread* thread = AfxGetThread();
    CWnd* main = thread ? thread->GetMainWnd() : nullptr;
    CWnd* active = CWnd::FromHandle(::GetActiveWindow());
    if (!main || !main->m_hWnd || !active)
        return FALSE;
    return ::IsChild(active->m_hWnd, main->m_hWnd) || active->m_hWnd == main->m_hWnd;
}

BOOL CPathListBox::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_LBUTTONDOWN && pMsg->message <= WM_RBUTTONDBLCLK) {
        ShowTip(m_nNoItem);
        // In a frame, a click into the list box activates the view that contains it.
        if (CFrameWnd* frame = GetParentFrame()) {
            for (CWnd* wnd = GetParent(); wnd && wnd != frame; wnd = wnd->GetParent()) {
                if (wnd->IsKindOf(RUNTIME_CLASS(CView))) {
                    frame->SetActiveView(static_cast<CView*>(wnd), TRUE);
                    break;
                }
            }
        }
    }
    return CListBox::PreTranslateMessage(pMsg);
}

int CPathListBox::EntryAt(CPoint point)
{
    int item = m_nNoItem;
    CRect client;
    GetClientRect(client);
    if (client.PtInRect(point)) {
        // Rows scrolled out of view lie outside the client area and never match.
        for (int i = 0; i < GetCount() && item == m_nNoItem; ++i) {
            CRect row;
            GetItemRect(i, row);
            if (row.PtInRect(point))
                item = i;
        }
    }
    return item;
}

int CPathListBox::EntryUnderPointer(CPoint& point)
{
    ::GetCursorPos(&point);
    HWND over = ::WindowFromPoint(point);
    ScreenToClient(&point);
    if (over != m_hWnd && over != m_pTipWnd->m_hWnd)
        return m_nNoItem;
    return EntryAt(point);
}

void CPathListBox::OnMouseMove(UINT nFlags, CPoint point)
{
    if (point != m_ptLast && IsAppActive()) {
        m_ptLast = point;
        ShowTip(EntryAt(point));
    }
    Default();
}

void CPathListBox::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTipTimer) {
        Default();
        return;
    }
    if (m_pTipWnd->IsWindowVisible()) {
        CPoint point;
        if (TipShows(EntryUnderPointer(point)))
            return;
        // As a move to where the pointer is now would have: the point is dealt with.
        m_ptLast = point;
    }
    ShowTip(m_nNoItem);
}

LRESULT CPathListBox::OnScrollInput(WPARAM, LPARAM)
{
    LRESULT result = Default();
    // The rows may have moved under a resting pointer: the tip follows the entry now under it,
    // or goes.
    if (m_pTipWnd->IsWindowVisible()) {
        CPoint point;
        int item = EntryUnderPointer(point);
        if (!TipShows(item)) {
            m_ptLast = point;
            ShowTip(IsAppActive() ? item : m_nNoItem);
        }
    }
    return result;
}

LRESULT CPathListBox::OnEntriesChanged(WPARAM, LPARAM)
{
    LRESULT result = Default();
    // The timer would notice too, but only after the tip had shown a path that the entry under
    // it no longer has. The tip goes; the next move shows the entry now under the pointer.
    if (m_pTipWnd->IsWindowVisible()) {
        CPoint point;
        if (!TipShows(EntryUnderPointer(point))) {
            m_ptLast = point;
            ShowTip(m_nNoItem);
        }
    }
    return result;
}

bool CPathListBox::TipShows(int nIndex)
{
    if (nIndex == m_nNoItem || nIndex != m_pTipWnd->GetItem())
        return false;
    CString path;
    GetItemText(nIndex, path);
    return path == m_pTipWnd->GetPath();
}

void CPathListBox::OnKillFocus(CWnd*)
{
    Default();
}

void CPathListBox::OnLButtonDown(UINT, CPoint)
{
    if (m_bCaptured)
        ReleaseTipCapture();
    Default();
    // The tip can still be up only when the message bypassed PreTranslateMessage.
    if (m_pTipWnd->IsWindowVisible()) {
        m_pTipWnd->InvalidateRect(nullptr, TRUE);  // the entry's selection colours changed
        if (::GetCapture() != m_hWnd)
            CaptureMouse();
    }
}

void CPathListBox::OnLButtonUp(UINT, CPoint)
{
    if (::GetCapture() != m_hWnd && m_pTipWnd->IsWindowVisible())
        CaptureMouse();
    Default();
}

void CPathListBox::OnActivateApp(BOOL, HTASK)
{
    Default();
}

void CPathListBox::OnRButtonDown(UINT nFlags, CPoint point)
{
    // The same steps as for the left button; Default() passes on the message at hand.
    OnLButtonDown(nFlags, point);
}

void CPathListBox::OnActivate(UINT, CWnd*, BOOL)
{
    Default();
}

void CPathListBox::OnCaptureChanged(CWnd* pWnd)
{
    if (pWnd != this)
        ShowTip(m_nNoItem);
    Default();
}
