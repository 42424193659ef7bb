// Where a title tip goes: pure rectangle arithmetic for CPathListBox::GetTipRect and ShowTip.
#pragma once

#include "framework/Geometry.h"

// The tip over an entry's row: the row, widened to the right when the text (`textWidth` pixels,
// and 4 more for the tip's border and margin) needs more room. Left, top and bottom stay the row's.
CRect WidenTipRect(const CRect& row, int textWidth);
// The tip moved left so that it ends at `screenWidth`, then right so that it starts at 0 or
// later; the left edge wins for a tip wider than the screen. Nothing moves vertically.
CRect ClampTipRect(CRect tip, int screenWidth);
