#include "Controls.h"

#include <vector>

IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)

int CListBox::GetText(int index, CString& text) const
{
    int length = static_cast<int>(SendMessage(LB_GETTEXTLEN, index));
    if (length == LB_ERR)
        return LB_ERR;
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    length = static_cast<int>(SendMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data())));
    if (length == LB_ERR)
        return LB_ERR;
    text = CString(buffer.data(), length);
    return length;
}
