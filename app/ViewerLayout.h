// Geometry of the main dialog in pixels: where its lists and buttons go when it is resized, and
// where its icon stands when it is minimised.
#pragma once

#include "framework/Geometry.h"

// A window's position and size in its parent's client area, as MoveWindow takes them.
struct Placement {
    int x, y, width, height;
    bool operator==(const Placement& o) const
    {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

struct ListLayout {
    Placement processes;
    Placement modules;
};

// The two lists side by side in a client area of cx by cy, each half the width less a 7-pixel
// margin, filling the height above one row of buttons `buttonHeight` high. Sizes may come out
// zero or negative for a tiny (or minimised) client area; they are used as they are.
ListLayout LayoutLists(int cx, int cy, int buttonHeight);

// Where a button of the row below the lists stands horizontally.
enum class ButtonColumn {
    Kept,          // where the dialog template put it
    UnderModules,  // at the module list's left edge
    BesideSave,    // one button width and 7 pixels right of the module list's left edge
};

// The new top-left corner of a button whose window rectangle is `button`, placed 7 pixels below
// the lists; all in screen coordinates, `listLeft` and `listBottom` taken from the module list.
CPoint ButtonPosition(const CRect& button, ButtonColumn column, int listLeft, int listBottom);

// The top-left corner of an icon centred in a client area (integer halves, rounded toward zero).
CPoint IconPosition(CSize client, CSize icon);
