#include "controls/TipGeometry.h"

CRect WidenTipRect(const CRect& row, int textWidth)
{
    CRect tip = row;
    if (row.left + textWidth + 4 > tip.right)
        tip.right = row.left + textWidth + 4;
    return tip;
}

CRect ClampTipRect(CRect tip, const RECT& bounds)
{
    if (tip.right > bounds.right)
        tip.OffsetRect(bounds.right - tip.right, 0);
    if (tip.left < bounds.left)
        tip.OffsetRect(bounds.left - tip.left, 0);
    return tip;
}
