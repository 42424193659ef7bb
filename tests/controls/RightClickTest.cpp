// The right-button release on a real list box: which entry it selects, whether a menu opens,
// and what reaches the parent window.
#include <doctest/doctest.h>

#include "MenuDriver.h"
#include "MenuTestSupport.h"

namespace {

const std::vector<std::string> kDefaultProcessing = {"contextmenu"};
const std::vector<std::string> kSelectedAndDefaultProcessing = {"selchange", "contextmenu"};
const std::vector<std::string> kSelectedOnly = {"selchange"};

}  // namespace

TEST_CASE("a right click selects the entry under the mouse, tells the parent, and opens its menu")
{
    TempFile file("quendrix click.txt");
    HostFixture f;

    SUBCASE("an empty list opens nothing")
    {
        MenuDriver driver(Choose(nullptr));
        CHECK(f.RightClick(POINT{20, 10}) == kDefaultProcessing);
        CHECK_FALSE(driver.menuShown);
        CHECK(f.list.GetCurSel() == LB_ERR);
    }

    f.list.AddItem(file.path.c_str(), 0);
    f.list.AddItem("C:\\windows\\zzz.dll", 0);

    SUBCASE("below the last entry opens nothing")
    {
        POINT below = f.RowPoint(1);
        below.y += 40;
        MenuDriver driver(Choose(nullptr));
        CHECK(f.RightClick(below) == kDefaultProcessing);
        CHECK_FALSE(driver.menuShown);
        CHECK(f.list.GetCurSel() == LB_ERR);
    }

    SUBCASE("an entry is selected, and the parent told, before its menu opens, and once only")
    {
        int selectedWhileOpen = -2;
        std::vector<std::string> parentWhileOpen;
        MenuDriver driver([&](const std::vector<MenuItem>&) {
            selectedWhileOpen = f.list.GetCurSel();
            parentWhileOpen = HostFixture::ParentEventsSoFar();
            return 0u;
        });
        // The parent hears of the new selection as of a user's; after the menu the release is
        // processed as usual.
        POINT at = f.RowPoint(0);
        CHECK(f.RightClick(at) == kSelectedAndDefaultProcessing);
        CHECK(parentWhileOpen == std::vector<std::string>{"selchange"});
        CHECK(driver.menuShown);
        f.list.ClientToScreen(&at);
        CHECK(driver.menuAt.x == at.x);
        CHECK(driver.menuAt.y == at.y);
        CHECK(selectedWhileOpen == 0);
        CHECK(f.list.GetCurSel() == 0);
        CHECK(f.list.Count(LB_SETCURSEL) == 1);
        CHECK(f.list.Count(WM_MENUSELECT) > 0);  // the list box owns the open menu

        // On the selected entry: neither selected again nor told.
        f.list.messages.clear();
        MenuDriver again(Choose(nullptr));
        CHECK(f.RightClick(f.RowPoint(0)) == kDefaultProcessing);
        CHECK(again.menuShown);
        CHECK(f.list.Count(LB_SETCURSEL) == 0);
    }
}

TEST_CASE("an entry that names no file of the shell opens nothing and reports nothing")
{
    TempFile file("quendrix present.txt");
    struct Case { const char* name; const char* path; bool freeRecord; } cases[] = {
        {"no folder", "unknown", false},
        {"no path", "C:\\windows\\nopath.dll", true},
        {"missing file", "C:\\windows\\no such module.dll", false},
        {"missing folder", "C:\\no such folder\\module.dll", false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        HostFixture f;
        f.list.AddItem(file.path.c_str(), 0);
        int index = f.list.AddItem(c.path, 0);
        if (c.freeRecord)
            f.list.FreeItemData(index);
        MenuDriver driver(Choose(nullptr));
        // Selected, but abandoned: not even the default processing of the release.
        CHECK(f.RightClick(f.RowPoint(index)) == kSelectedOnly);
        CHECK_FALSE(driver.menuShown);
        CHECK(driver.dialogs.empty());
        CHECK(f.list.GetCurSel() == index);
    }
}

TEST_CASE("a shell command chosen on a right click is carried out by the shell")
{
    TempFile file("quendrix cut.txt");
    HostFixture f;
    int index = f.list.AddItem(file.path.c_str(), 0);
    EmptyTheClipboard();
    const std::string cut = ShellVerbLabel(file.path, "cut");
    MenuDriver driver(Choose(cut.c_str()));
    CHECK(f.RightClick(f.RowPoint(index)) == kSelectedAndDefaultProcessing);
    REQUIRE(FindItem(driver.items, cut.c_str()) != 0);
    CHECK(driver.dialogs.empty());
    CHECK(ClipboardFiles() == std::vector<std::string>{file.path});
}
