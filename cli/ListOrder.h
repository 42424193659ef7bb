// The order in which the dialog's sorted lists show their entries.
#pragma once

#include <vector>

#include "framework/String.h"

// Puts `paths` into the order in which the dialog's module list shows them: the order that the
// system's own list box gives by sorted insertion of each path's display name, the paths handed
// to it in the order given. Equal names keep the places the list box gives them. False, and
// `paths` unchanged, when the system gives no list box.
bool SortAsListShows(std::vector<CString>& paths);
