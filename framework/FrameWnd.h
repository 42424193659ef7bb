// CFrameWnd and CView: a frame window and the views inside it, as far as a control placed in a
// view needs them to make its view the active one.
#pragma once

#include "Wnd.h"

class CFrameWnd;

// A child window of a frame that shows the frame's content; the frame has one active view.
class CView : public CWnd {
    DECLARE_DYNAMIC(CView)

protected:
    friend class CFrameWnd;
    // Called when the view becomes the frame's active view or stops being it.
    virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) {}
};

class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)

public:
    CView* GetActiveView() const { return m_pViewActive; }
    // Makes `view` the active view; with `notify` the views that gain and lose it are told.
    void SetActiveView(CView* view, BOOL notify = TRUE);

private:
    CView* m_pViewActive = nullptr;
};
