#include "controls/TitleTipWnd.h"

#include "controls/PathListBox.h"
#include "framework/Dc.h"

namespace {

// Registered once, by the first tip object, and shared by every tip window.
const char* g_lpszTipClass = nullptr;

}  // namespace

bool IsOwnerDrawStyle(DWORD style)
{
    return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}

UINT TipItemState(int selection, DWORD listStyle, int caret, int item)
{
    UINT state = selection > 0 ? ODS_SELECTED : 0;
    if (!(listStyle & LBS_MULTIPLESEL) || caret == item)
        state |= ODS_FOCUS;
    return state;
}

BEGIN_MESSAGE_MAP(CTitleTipWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CTitleTipWnd::CTitleTipWnd() : m_nNoItem(-1), m_nItem(m_nNoItem), m_pListBox(nullptr)
{
    if (!g_lpszTipClass)
        g_lpszTipClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS);
}

CTitleTipWnd::~CTitleTipWnd() = default;

BOOL CTitleTipWnd::Create(CPathListBox* pListBox)
{
    m_pListBox = pListBox;
    DWORD style = IsOwnerDraw() ? WS_POPUP : WS_POPUP | WS_BORDER;
    // A popup given a child window as parent is owned by that window's top-level window.
    return CreateEx(0, g_lpszTipClass, nullptr, style, 0, 0, 0, 0, pListBox->m_hWnd, nullptr);
}

BOOL CTitleTipWnd::IsOwnerDraw()
{
    return IsOwnerDrawStyle(m_pListBox->GetStyle());
}

BOOL CTitleTipWnd::Show(CRect rect, int nItem)
{
    // A list refilled since may hold another path at the same index.
    CString path;
    m_pListBox->GetItemText(nItem, path);
    if (nItem != m_nItem || path != m_strPath) {
        m_nItem = nItem;
        m_strPath = path;
        InvalidateRect(nullptr, TRUE);
    }
    CRect current;
    GetWindowRect(current);
    UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (current == rect)
        flags |= SWP_NOSIZE | SWP_NOMOVE;
    return SetWindowPos(&wndTopMost, rect.left, rect.top, rect.Width(), rect.Height(), flags);
}

BOOL CTitleTipWnd::Hide()
{
    return ShowWindow(SW_HIDE);
}

void CTitleTipWnd::OnPaint()
{
    CPaintDC dc(this);
    int saved = dc.SaveDC();
    CRect client;
    GetClientRect(client);
    if (IsOwnerDraw())
        PaintOwnerDrawn(dc.m_hDC, client);
    else
        PaintPath(dc, client);
    dc.RestoreDC(saved);
}

void CTitleTipWnd::PaintOwnerDrawn(HDC dc, const CRect& client)
{
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_LISTBOX;
    draw.CtlID = static_cast<UINT>(m_pListBox->GetDlgCtrlID());
    draw.itemID = static_cast<UINT>(m_nItem);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = TipItemState(m_pListBox->GetSel(m_nItem), m_pListBox->GetStyle(),
                                  m_pListBox->GetCaretIndex(), m_nItem);
    draw.hwndItem = m_pListBox->m_hWnd;
    draw.hDC = dc;
    draw.rcItem = client;
    draw.itemData = m_pListBox->GetItemData(m_nItem);
    m_pListBox->DrawItem(&draw);
}

void CTitleTipWnd::PaintPath(CDC& dc, const CRect& client)
{
    dc.SelectObject(CGdiObject::FromHandle(reinterpret_cast<HGDIOBJ>(m_pListBox->SendMessage(WM_GETFONT))));
    // Unselected entries are black on white whatever the system's window colours are.
    COLORREF background = RGB(255, 255, 255);
    if (m_pListBox->GetSel(m_nItem) > 0) {
        dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
        background = ::GetSysColor(COLOR_HIGHLIGHT);
    }
    dc.FillSolidRect(client, background);
    CString text;
    m_pListBox->GetItemText(m_nItem, text);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(1, -1, text, text.GetLength());
}
