// Reads an extended dialog template from a module's resources, to check it field by field.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace testing {

struct DialogItem {
    int id;
    int classAtom;      // 0x80 button, 0x81 edit, 0x82 static, 0x83 list box; 0 for a named class
    std::string text;   // UTF-8; a resource id as "#128"
    DWORD style;
    int x, y, cx, cy;
    bool operator==(const DialogItem& o) const
    {
        return id == o.id && classAtom == o.classAtom && text == o.text && style == o.style &&
               x == o.x && y == o.y && cx == o.cx && cy == o.cy;
    }
};
std::ostream& operator<<(std::ostream& out, const DialogItem& item);

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, font;  // UTF-8
    int pointSize = 0;
    std::vector<DialogItem> items;
};

// The DIALOGEX template `id` of `module`; fails the current test when it is missing or malformed.
DialogTemplate ReadDialogTemplate(HMODULE module, int id);

}  // namespace testing
