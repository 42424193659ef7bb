// The hidden list box that orders the dialog's lists for the engine: the order of a sorted list
// box of the system's, whichever kind of list the version record asks for.
#include <doctest/doctest.h>

#include <vector>

#include "controls/HiddenListOrder.h"

TEST_CASE("the hidden list orders names as a sorted list box, message-only or a pop-up")
{
    // A message-only list box from Windows 2000 on, a pop-up one before.
    const OSVERSIONINFOA windows2000 = {sizeof(OSVERSIONINFOA), 5, 0, 2195, VER_PLATFORM_WIN32_NT, ""},
                         windows98 = {sizeof(OSVERSIONINFOA), 4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS, ""},
                         nt4 = {sizeof(OSVERSIONINFOA), 4, 0, 1381, VER_PLATFORM_WIN32_NT, ""};
    // Sorted without regard to case: alpha.dll, Beta.dll, gamma.dll, Zeta.dll.
    const std::vector<CString> names = {"Zeta.dll", "alpha.dll", "gamma.dll", "Beta.dll"};
    const std::vector<size_t> expected = {1, 3, 2, 0};
    const HiddenListOrder order;
    for (const OSVERSIONINFOA* version : {&windows2000, &windows98, &nt4}) {
        std::vector<size_t> sorted;
        CHECK(order.Sort(*version, names, sorted));
        CHECK(sorted == expected);
    }
}
