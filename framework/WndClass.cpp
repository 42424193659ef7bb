// Window classes that the framework registers on behalf of its windows.
#include "Afx.h"

#include <cstdio>
#include <set>
#include <string>

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // The names handed out stay valid for the life of the process: set nodes never move.
    static std::set<std::string>& registered = *new std::set<std::string>;

    char name[80];
    std::snprintf(name, sizeof name, "FwWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    auto found = registered.find(name);
    if (found != registered.end())
        return found->c_str();

    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return registered.insert(name).first->c_str();
}
