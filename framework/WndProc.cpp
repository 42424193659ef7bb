// The one window procedure of the framework and the map from window handles to objects.
//
// Every window that has an object gets AfxWndProc as its window procedure: windows the framework
// creates from their first message on (a CBT hook hands the object over before CreateWindowEx or
// CreateDialog returns), existing windows when they are subclassed (DDX_Control). AfxWndProc
// looks the object up, remembers the message for Default(), and calls the object's WindowProc.
// At WM_NCDESTROY, the last message a window gets, the object is unbound.
//
// A window without an object gets a temporary one from FromHandle. Temporaries live until the
// outermost message loop is idle outside every handler: a handler may keep one across a nested
// modal loop (a dialog it runs), and that loop must not free it.
#include "Wnd.h"

#include "Dc.h"
#include "Guard.h"

#include <memory>
#include <unordered_map>

namespace {

// The program has one user-interface thread. The maps are never destroyed, so that objects
// destroyed late at exit can still look themselves up.
std::unordered_map<HWND, CWnd*>& t_permanent = *new std::unordered_map<HWND, CWnd*>;
std::unordered_map<HWND, std::unique_ptr<CWnd>>& t_temporary =
    *new std::unordered_map<HWND, std::unique_ptr<CWnd>>;
MSG t_currentMessage;
CWnd* t_wndInit;
HHOOK t_hookCreate;
int t_handlerDepth;  // calls of AfxWndProc running on the stack
int t_loopDepth;     // framework message loops running on the stack

LRESULT CALLBACK CreateHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_wndInit) {
        CWnd* wnd = t_wndInit;
        t_wndInit = nullptr;
        ::UnhookWindowsHookEx(t_hookCreate);
        t_hookCreate = nullptr;
        // A window whose object cannot be bound is not created at all (a non-zero answer).
        return AfxGuardCallback<LRESULT>(1, [&] {
            wnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
            return LRESULT(0);
        });
    }
    return ::CallNextHookEx(t_hookCreate, code, wParam, lParam);
}

}  // namespace

CMessageLoopScope::CMessageLoopScope()
{
    ++t_loopDepth;
}

CMessageLoopScope::~CMessageLoopScope()
{
    --t_loopDepth;
}

void CMessageLoopScope::OnIdle() const
{
    if (t_loopDepth == 1 && t_handlerDepth == 0)
        CWnd::DeleteTempMap();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto found = t_permanent.find(hWnd);
    return found == t_permanent.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    std::unique_ptr<CWnd>& temp = t_temporary[hWnd];
    if (!temp)
        temp.reset(new CWnd(hWnd));
    return temp.get();
}

void CWnd::DeleteTempMap()
{
    for (auto& entry : t_temporary)
        entry.second->m_hWnd = nullptr;  // a temporary object never owns its window
    t_temporary.clear();
    CGdiObject::DeleteTempMap();
}

void CWnd::Attach(HWND hWnd)
{
    // The map first: when it cannot grow, the object stays unbound rather than half bound.
    t_permanent[hWnd] = this;
    m_hWnd = hWnd;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd && FromHandlePermanent(hWnd) == this)
        t_permanent.erase(hWnd);
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::SubclassWindow(HWND hWnd)
{
    Attach(hWnd);
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (previous != &AfxWndProc)
        m_pfnSuper = previous;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::HandleNcDestroy()
{
    if (m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = t_currentMessage;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const MSG& AfxGetCurrentMessage()
{
    return t_currentMessage;
}

void AfxHookWindowCreate(CWnd* wnd)
{
    t_wndInit = wnd;
    if (!t_hookCreate)
        t_hookCreate = ::SetWindowsHookExA(WH_CBT, &CreateHook, nullptr, ::GetCurrentThreadId());
}

// Clears a hand-off that no window took (the creation failed before its first message).
void AfxUnhookWindowCreate()
{
    t_wndInit = nullptr;
    if (t_hookCreate)
        ::UnhookWindowsHookEx(t_hookCreate);
    t_hookCreate = nullptr;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    MSG saved = t_currentMessage;
    t_currentMessage = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    ++t_handlerDepth;
    LRESULT result = AfxGuardCallback<LRESULT>(0, [&] { return wnd->WindowProc(message, wParam, lParam); });
    --t_handlerDepth;
    t_currentMessage = saved;
    if (message == WM_NCDESTROY)
        wnd->HandleNcDestroy();
    return result;
}

BOOL AfxPreTranslateMessage(MSG* msg)
{
    // Walk up through child windows only: a popup's "parent" is its owner, another window.
    for (HWND hWnd = msg->hwnd; hWnd;) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd))
            if (wnd->PreTranslateMessage(msg))
                return TRUE;
        if (!(::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
            break;
        hWnd = ::GetParent(hWnd);
    }
    return FALSE;
}
