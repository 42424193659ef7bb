// CGdiObject and the device contexts: thin wrappers of GDI handles that someone else owns.
#pragma once

#include "Afx.h"

class CWnd;

// A GDI object (font, brush, ...) seen through its handle; this framework never owns one.
class CGdiObject {
public:
    explicit CGdiObject(HGDIOBJ handle = nullptr) : m_hObject(handle) {}
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject;

    // A temporary object for a handle, alive until the message loop is next idle; null for a
    // null handle.
    static CGdiObject* FromHandle(HGDIOBJ handle);
    // Deletes the temporary objects; CWnd::DeleteTempMap calls it.
    static void DeleteTempMap();
};

// A device context; the derived classes acquire and release the handle.
class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() = default;

    HDC m_hDC = nullptr;

    // Returns a number that RestoreDC takes to bring back the current state.
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int savedDC) { return ::RestoreDC(m_hDC, savedDC); }
    // Selects `object` and returns the object it replaced; a null object selects nothing.
    CGdiObject* SelectObject(CGdiObject* object);
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    // Fills `rect` with one colour; leaves that colour as the background colour.
    void FillSolidRect(LPCRECT rect, COLORREF color);
    BOOL TextOut(int x, int y, const char* text, int count)
    {
        return ::TextOutA(m_hDC, x, y, text, count);
    }
};

// The device context of a WM_PAINT handler: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// The client-area device context of a window for the length of one scope.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};
