// Where a title tip goes: pure rectangle arithmetic for CPathListBox::GetTipRect and ShowTip.
#pragma once

#include "framework/Geometry.h"

// The tip over an entry's row: the row, widened to the right when the text (`textWidth` pixels,
// and 4 more for the tip's border and margin) needs more room. Left, top and bottom stay the row's.
CRect WidenTipRect(const CRect& row, int textWidth);
// The tip moved left so that it ends at `bounds.right` or before, then right so that it starts at
// `bounds.left` or later; the left edge wins for a tip wider than the bounds. Nothing moves
// vertically.
CRect ClampTipRect(CRect tip, const RECT& bounds);
