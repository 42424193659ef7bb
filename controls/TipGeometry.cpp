#include "controls/TipGeometry.h"

CRect WidenTipRect(const CRect& row, int textWidth)
{
    CRect tip = row;
    if (row.left + textWidth + 4 > tip.right)
        tip.right = row.left + textWidth + 4;
    return tip;
}

CRect ClampTipRect(CRect tip, int screenWidth)
{
    if (tip.right > screenWidth)
        tip.OffsetRect(screenWidth - tip.right, 0);
    if (tip.left < 0)
        tip.OffsetRect(-tip.left, 0);
    return tip;
}
