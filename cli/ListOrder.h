// The order in which the dialog's sorted lists show their entries.
#pragma once

#include <vector>

#include "enum/ModuleName.h"

// Puts `modules` into the order in which the dialog's module list shows them: the order that
// the system's own list box gives by sorted insertion of the display name of each module's
// path, the modules handed to it in the order given. Equal names keep the places the list box
// gives them. False, and `modules` unchanged, when the system gives no list box.
bool SortAsListShows(std::vector<ModuleEntry>& modules);
