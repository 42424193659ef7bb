// CWnd: a C++ object bound to one window handle, receiving its messages through a message map.
#pragma once

#include "Afx.h"
#include "MessageMap.h"

class CFrameWnd;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys the window if the object still owns one.
    ~CWnd() override;
    // Destroys the window if this object is still bound to it. A class whose WM_DESTROY handler
    // releases something calls it from its own destructor too: by the time ~CWnd runs, the
    // derived handlers are gone and the window would die as a plain CWnd.
    void DestroyOwnedWindow();

    HWND m_hWnd = nullptr;

    // --- the handle-to-object map (WndProc.cpp) ---
    // The object bound to a handle; for a window no object owns, a temporary object that lives
    // until the outermost message loop is next idle (CMessageLoopScope). Null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The object bound to a handle, or null when none is.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // Deletes the temporary objects, also those of CGdiObject.
    static void DeleteTempMap();

    // Binds the object to an existing window without touching its window procedure.
    void Attach(HWND hWnd);
    HWND Detach();
    // Binds the object and routes the window's messages through it; the previous procedure
    // becomes the default processing.
    void SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    // Creates a window of a registered class bound to this object from its first message.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu,
                  void* param = nullptr);
    virtual BOOL DestroyWindow();

    // --- message processing ---
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of a message: the previous window procedure, or the system default.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled now.
    LRESULT Default();
    // Called for a queued message of this window or a descendant before it is dispatched;
    // true consumes the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called after the window's last message; the object is no longer bound.
    virtual void PostNcDestroy() {}

    // --- thin wrappers of the system's window functions ---
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    // Stops or resumes the window's drawing; resuming repaints it whole.
    void SetRedraw(BOOL redraw = TRUE);
    HICON SetIcon(HICON icon, BOOL big)
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big, reinterpret_cast<LPARAM>(icon)));
    }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    // The nearest frame window among the window's containers, or null (FrameWnd.cpp).
    CFrameWnd* GetParentFrame() const;
    // Tool tips of child windows need an OnToolHitTest that answers, which no window of this
    // framework has: enabling them changes nothing.
    void EnableToolTips(BOOL enable = TRUE) {}

    // Insert-after markers for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndTopMost;

protected:
    DECLARE_MESSAGE_MAP()

    void OnDestroy() { Default(); }

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend void AfxHookWindowCreate(CWnd*);

    CWnd(HWND marker) : m_hWnd(marker) {}
    // The last message of a window: unbinds the object and lets it clean up.
    void HandleNcDestroy();

    WNDPROC m_pfnSuper = nullptr;  // the procedure the window had before it was subclassed
};

// One run of a framework message loop (a modal dialog's, the thread's); such loops nest when a
// handler runs a dialog.
class CMessageLoopScope {
public:
    CMessageLoopScope();
    ~CMessageLoopScope();
    CMessageLoopScope(const CMessageLoopScope&) = delete;
    CMessageLoopScope& operator=(const CMessageLoopScope&) = delete;

    // Called when the loop finds its queue empty: deletes the temporary objects, but only in the
    // outermost loop and outside every handler, where nobody can still hold one.
    void OnIdle() const;
};

// The window procedure of every window bound to an object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The message that the innermost running handler is processing.
const MSG& AfxGetCurrentMessage();
// Gives the next window created on this thread to `wnd`, from its very first message.
void AfxHookWindowCreate(CWnd* wnd);
// Hands a queued message to the PreTranslateMessage of its window and of each ancestor that has
// an object, innermost first; true when one of them consumed it.
BOOL AfxPreTranslateMessage(MSG* msg);
