// HiddenListOrder: the order of the dialog's sorted lists, judged by a list box of the system's
// that is never shown.
#pragma once

#include "enum/ListOrder.h"

class HiddenListOrder : public ListOrder {
public:
    // A list box that needs no display where the system has message-only windows (Windows 2000
    // on); a pop-up one elsewhere, which is never shown either.
    bool Sort(const OSVERSIONINFOA& version, const std::vector<CString>& names,
              std::vector<size_t>& order) const override;
};
