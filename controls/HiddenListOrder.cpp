#include "controls/HiddenListOrder.h"

namespace {

// Whether the system has message-only windows, which need no display: Windows 2000 and later;
// not the Windows 95 family, not NT 4.0.
bool HasMessageOnlyWindows(const OSVERSIONINFOA& version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

// A sorted list box of the system's, never shown, destroyed with its owner: a message-only
// window where the system has them, else a pop-up one, which a system without a display refuses.
// It is no window of the framework's, which the console program does not link.
class SortedListBox {
public:
    explicit SortedListBox(const OSVERSIONINFOA& version)
    {
        const bool messageOnly = HasMessageOnlyWindows(version);
        m_hWnd = ::CreateWindowExA(0, "LISTBOX", "", (messageOnly ? 0 : WS_POPUP) | LBS_SORT | LBS_HASSTRINGS, 0, 0,
                                   0, 0, messageOnly ? HWND_MESSAGE : nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                   nullptr);
    }
    ~SortedListBox()
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    SortedListBox(const SortedListBox&) = delete;
    SortedListBox& operator=(const SortedListBox&) = delete;

    explicit operator bool() const { return m_hWnd != nullptr; }
    // Inserts `name` at its sorted place, carrying `data`; false when the list refuses.
    bool Add(const char* name, LPARAM data) const
    {
        LRESULT index = ::SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        return index >= 0 && ::SendMessageA(m_hWnd, LB_SETITEMDATA, static_cast<WPARAM>(index), data) != LB_ERR;
    }
    LPARAM DataAt(size_t index) const { return ::SendMessageA(m_hWnd, LB_GETITEMDATA, index, 0); }

private:
    HWND m_hWnd = nullptr;
};

}  // namespace

bool HiddenListOrder::Sort(const OSVERSIONINFOA& version, const std::vector<CString>& names,
                           std::vector<size_t>& order) const
{
    order.clear();
    SortedListBox list(version);
    bool added = static_cast<bool>(list);
    for (size_t i = 0; added && i < names.size(); ++i)
        added = list.Add(names[i], static_cast<LPARAM>(i));
    if (!added)
        return false;
    for (size_t i = 0; i < names.size(); ++i)
        order.push_back(static_cast<size_t>(list.DataAt(i)));
    return true;
}
