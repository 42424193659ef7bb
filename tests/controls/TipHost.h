// A host for title-tip tests: an active top-level window, registered as the application's main
// window, with one list box child bound to a CPathListBox, in the main dialog's font.
#pragma once

#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "controls/PathListBox.h"

namespace testing {

class TipHost {
public:
    // Places the host's client area at `screen` (the list box fills it but a 5-pixel margin).
    TipHost(CPathListBox& list, DWORD listStyle, const RECT& screen = {100, 100, 400, 300});
    ~TipHost();
    TipHost(const TipHost&) = delete;
    TipHost& operator=(const TipHost&) = delete;

    // The list's entry `index` in screen coordinates, or its point `client` moved to the screen.
    CRect RowOnScreen(int index) const;
    CPoint OnScreen(CPoint client) const;
    // Moves the real cursor there and posts the move as the system would; then pumps.
    void MoveTo(CPoint client) const;
    // The width of `text` in the list's font.
    int TextWidth(const std::string& text) const;

    CWnd m_wnd;
    CPathListBox& m_list;
    HFONT m_hFont;
};

// The window that holds the mouse capture, named for messages: "list", "none" or "other".
std::string CaptureHolder(const CWnd& list);

}  // namespace testing

// Failures print rectangles and logs.
namespace doctest {
template <> struct StringMaker<CRect> {
    static String convert(const CRect& r)
    {
        return ("{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
                ", " + std::to_string(r.bottom) + "}").c_str();
    }
};
template <> struct StringMaker<std::vector<std::string>> {
    static String convert(const std::vector<std::string>& log)
    {
        std::string joined;
        for (const std::string& entry : log)
            joined += (joined.empty() ? "" : ", ") + entry;
        return ("[" + joined + "]").c_str();
    }
};
}  // namespace doctest
