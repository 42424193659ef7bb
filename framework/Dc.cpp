#include "Dc.h"

#include <memory>
#include <unordered_map>

#include "Wnd.h"

namespace {

// Never destroyed, like the window map, so that late callers at exit still find it.
std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>>& t_temporary =
    *new std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>>;

}  // namespace

CGdiObject* CGdiObject::FromHandle(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    std::unique_ptr<CGdiObject>& temp = t_temporary[handle];
    if (!temp)
        temp.reset(new CGdiObject(handle));
    return temp.get();
}

void CGdiObject::DeleteTempMap()
{
    t_temporary.clear();
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    if (!object || !object->m_hObject)
        return nullptr;
    return CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject));
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    // An opaque text output of no characters paints the rectangle in the background colour,
    // without creating a brush.
    ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_ps{}, m_hWnd(wnd->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, m_hDC);
}
