// The order in which the dialog's sorted lists show their entries. A list box of the system's
// places a name among equal ones by its own search, which no rule of ours could repeat: so a
// list of the system's judges, and the engine, which has no window, is handed one by its front
// end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "framework/String.h"

class ListOrder {
public:
    virtual ~ListOrder() = default;
    // The order in which a sorted list of the system's shows `names`, added one after another:
    // `order` receives, top to bottom, the index in `names` of each entry. `version` tells
    // which lists the system can make. False, and `order` empty, when it gives none.
    virtual bool Sort(const OSVERSIONINFOA& version, const std::vector<CString>& names,
                      std::vector<size_t>& order) const = 0;
};
