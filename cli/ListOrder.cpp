#include "cli/ListOrder.h"

#include <windows.h>

#include "paths/DisplayName.h"

namespace {

// A list box of the system's that is never shown, sorted as the dialog's lists are. The list
// box places a name among equal ones by its own search, which no rule of ours could repeat:
// so the very control sorts here too.
class HiddenSortedList {
public:
    HiddenSortedList()
        : m_hWnd(::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 0, 0, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~HiddenSortedList()
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    HiddenSortedList(const HiddenSortedList&) = delete;
    HiddenSortedList& operator=(const HiddenSortedList&) = delete;

    explicit operator bool() const { return m_hWnd != nullptr; }
    // Inserts `name` at its sorted place, carrying `data`; false when the list refuses.
    bool Add(const char* name, LPARAM data)
    {
        LRESULT index = ::SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        return index >= 0 && ::SendMessageA(m_hWnd, LB_SETITEMDATA, static_cast<WPARAM>(index), data) != LB_ERR;
    }
    LPARAM DataAt(size_t index) const { return ::SendMessageA(m_hWnd, LB_GETITEMDATA, index, 0); }

private:
    HWND m_hWnd;
};

}  // namespace

bool SortAsListShows(std::vector<ModuleEntry>& modules)
{
    HiddenSortedList list;
    if (!list)
        return false;
    for (size_t i = 0; i < modules.size(); ++i)
        if (!list.Add(DisplayNameOf(modules[i].path), static_cast<LPARAM>(i)))
            return false;
    std::vector<ModuleEntry> sorted;
    sorted.reserve(modules.size());
    for (size_t i = 0; i < modules.size(); ++i)
        sorted.push_back(modules[static_cast<size_t>(list.DataAt(i))]);
    modules.swap(sorted);
    return true;
}
