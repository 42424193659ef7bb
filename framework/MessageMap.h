// Static message maps: each class lists the messages it handles in a table of typed entries.
//
// An entry names the message, for WM_COMMAND and WM_NOTIFY also the notification code and the
// control id range, and a "cracker": a function generated from the handler's member pointer that
// unpacks wParam/lParam into the handler's typed arguments. A handler with the wrong signature
// does not compile. Tables chain to the base class's table; the most derived entry wins.
#pragma once

#include <windows.h>

#include <type_traits>

#include "Geometry.h"
#include "RuntimeClass.h"

class CCmdTarget;
class CWnd;

using AfxMsgInvoke = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;
    UINT code;      // notification code (WM_COMMAND, WM_NOTIFY); 0 otherwise
    UINT idFirst;   // control or command id range (WM_COMMAND, WM_NOTIFY)
    UINT idLast;
    AfxMsgInvoke invoke;  // null ends the table
};

struct MessageMap {
    const MessageMap* (*base)();  // null for the root of the chain
    const MessageMapEntry* entries;
};

// Root of every class that receives messages or commands through a message map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    static const CRuntimeClass classCCmdTarget;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCCmdTarget; }
    // Whether the object is of class `c` or of a class derived from it.
    bool IsKindOf(const CRuntimeClass* c) const { return GetRuntimeClass()->IsDerivedFrom(c); }

    // Finds the entry for a message in this object's map chain and calls its handler.
    bool DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
};

namespace afxcrack {

template <class> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> { using Class = C; };

// The object whose member F is, seen from the dispatching base.
template <auto F> auto* Self(CCmdTarget* target)
{
    using C = typename MemberOf<decltype(F)>::Class;
    return static_cast<C*>(target);
}

inline CPoint PointOf(LPARAM lParam)
{
    return CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

template <auto F> LRESULT Void(CCmdTarget* t, WPARAM, LPARAM) { (Self<F>(t)->*F)(); return 0; }
template <auto F> LRESULT Bool(CCmdTarget* t, WPARAM, LPARAM) { return (Self<F>(t)->*F)(); }
template <auto F> LRESULT FlagsPoint(CCmdTarget* t, WPARAM w, LPARAM l)
{
    (Self<F>(t)->*F)(static_cast<UINT>(w), PointOf(l));
    return 0;
}
template <auto F> LRESULT TypeSize(CCmdTarget* t, WPARAM w, LPARAM l)
{
    (Self<F>(t)->*F)(static_cast<UINT>(w), static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
    return 0;
}
template <auto F> LRESULT IdParam(CCmdTarget* t, WPARAM w, LPARAM l)
{
    (Self<F>(t)->*F)(static_cast<UINT>(w), l);
    return 0;
}
template <auto F> LRESULT MenuSelect(CCmdTarget* t, WPARAM w, LPARAM l)
{
    (Self<F>(t)->*F)(LOWORD(w), HIWORD(w), reinterpret_cast<HMENU>(l));
    return 0;
}
// The object of a window handle that a message carries (CWnd::FromHandle).
CWnd* WndOf(WPARAM handle);
template <auto F> LRESULT WndW(CCmdTarget* t, WPARAM w, LPARAM)
{
    (Self<F>(t)->*F)(WndOf(w));
    return 0;
}
template <auto F> LRESULT WndL(CCmdTarget* t, WPARAM, LPARAM l)
{
    (Self<F>(t)->*F)(WndOf(static_cast<WPARAM>(l)));
    return 0;
}
template <auto F> LRESULT ActivateApp(CCmdTarget* t, WPARAM w, LPARAM l)
{
    (Self<F>(t)->*F)(static_cast<BOOL>(w), reinterpret_cast<HTASK>(l));
    return 0;
}
template <auto F> LRESULT Activate(CCmdTarget* t, WPARAM w, LPARAM l)
{
    (Self<F>(t)->*F)(LOWORD(w), WndOf(static_cast<WPARAM>(l)), static_cast<BOOL>(HIWORD(w)));
    return 0;
}
template <auto F> LRESULT Timer(CCmdTarget* t, WPARAM w, LPARAM)
{
    (Self<F>(t)->*F)(static_cast<UINT_PTR>(w));
    return 0;
}
template <auto F> LRESULT Raw(CCmdTarget* t, WPARAM w, LPARAM l) { return (Self<F>(t)->*F)(w, l); }
template <auto F> LRESULT Notify(CCmdTarget* t, WPARAM, LPARAM l)
{
    LRESULT result = 0;
    (Self<F>(t)->*F)(reinterpret_cast<NMHDR*>(l), &result);
    return result;
}

}  // namespace afxcrack

// In a class declaration: the class has a message map of its own.
#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const MessageMap* GetThisMessageMap();          \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const MessageMap* theClass::GetThisMessageMap()                                        \
    {                                                                                      \
        using ThisClass [[maybe_unused]] = theClass;                                                     \
        using TheBaseClass = baseClass;                                                    \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                  \
            {0, 0, 0, 0, nullptr}};                                                        \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};         \
        return &map;                                                                       \
    }

// Entries. The handler signature stands beside each macro.
// void fn()   -- a command or button click (BN_CLICKED is notification code 0)
#define ON_COMMAND(id, fn) {WM_COMMAND, 0, (id), (id), &afxcrack::Void<&ThisClass::fn>},
#define ON_BN_CLICKED(id, fn) {WM_COMMAND, BN_CLICKED, (id), (id), &afxcrack::Void<&ThisClass::fn>},
// void fn()
#define ON_LBN_SELCHANGE(id, fn) {WM_COMMAND, LBN_SELCHANGE, (id), (id), &afxcrack::Void<&ThisClass::fn>},
// void fn(NMHDR* header, LRESULT* result) -- a WM_NOTIFY with this code from the sender `id`
#define ON_NOTIFY(code, id, fn) \
    {WM_NOTIFY, static_cast<UINT>(code), (id), (id), &afxcrack::Notify<&ThisClass::fn>},
// LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(message, fn) {(message), 0, 0, 0, &afxcrack::Raw<&ThisClass::fn>},
// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, &afxcrack::Void<&ThisClass::OnPaint>},
// void OnDestroy()
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, &afxcrack::Void<&ThisClass::OnDestroy>},
// void OnSize(UINT type, int cx, int cy)
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, &afxcrack::TypeSize<&ThisClass::OnSize>},
// void OnSysCommand(UINT id, LPARAM lParam)
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, 0, &afxcrack::IdParam<&ThisClass::OnSysCommand>},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, 0, &afxcrack::Raw<&ThisClass::HandleQueryDragIcon>},
// void OnMouseMove(UINT flags, CPoint point), and the same for the buttons below
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, &afxcrack::FlagsPoint<&ThisClass::OnMouseMove>},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, &afxcrack::FlagsPoint<&ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, 0, &afxcrack::FlagsPoint<&ThisClass::OnLButtonUp>},
#define ON_WM_RBUTTONDOWN() {WM_RBUTTONDOWN, 0, 0, 0, &afxcrack::FlagsPoint<&ThisClass::OnRButtonDown>},
#define ON_WM_RBUTTONUP() {WM_RBUTTONUP, 0, 0, 0, &afxcrack::FlagsPoint<&ThisClass::OnRButtonUp>},
// void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
#define ON_WM_MENUSELECT() {WM_MENUSELECT, 0, 0, 0, &afxcrack::MenuSelect<&ThisClass::OnMenuSelect>},
// void OnKillFocus(CWnd* newFocus)
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, &afxcrack::WndW<&ThisClass::OnKillFocus>},
// void OnActivateApp(BOOL active, HTASK otherThread)
#define ON_WM_ACTIVATEAPP() {WM_ACTIVATEAPP, 0, 0, 0, &afxcrack::ActivateApp<&ThisClass::OnActivateApp>},
// void OnActivate(UINT state, CWnd* other, BOOL minimized)
#define ON_WM_ACTIVATE() {WM_ACTIVATE, 0, 0, 0, &afxcrack::Activate<&ThisClass::OnActivate>},
// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, &afxcrack::Timer<&ThisClass::OnTimer>},
// void OnCaptureChanged(CWnd* gaining), gaining null when no window takes the capture
#define ON_WM_CAPTURECHANGED() {WM_CAPTURECHANGED, 0, 0, 0, &afxcrack::WndL<&ThisClass::OnCaptureChanged>},
