#include "app/ViewerLayout.h"

namespace {
const int kMargin = 7;  // pixels between the lists, the buttons and the dialog's edges
}

ListLayout LayoutLists(int cx, int cy, int buttonHeight)
{
    const int half = cx / 2;
    // Room for the button row and three margins (above the lists, between, below the buttons).
    const int height = cy - buttonHeight - 3 * kMargin;
    return ListLayout{{kMargin, kMargin, half - kMargin, height},
                      {half + kMargin, kMargin, half - kMargin, height}};
}

CPoint ButtonPosition(const CRect& button, ButtonColumn column, int listLeft, int listBottom)
{
    const int top = listBottom + kMargin;
    switch (column) {
    case ButtonColumn::UnderModules:
        return CPoint(listLeft, top);
    case ButtonColumn::BesideSave:
        return CPoint(listLeft + button.Width() + kMargin, top);
    case ButtonColumn::Kept:
        break;
    }
    return CPoint(button.left, top);
}

CPoint IconPosition(CSize client, CSize icon)
{
    return CPoint((client.cx - icon.cx + 1) / 2, (client.cy - icon.cy + 1) / 2);
}
