// The shell context menu of CPathListBox against the real shell: the walk from the desktop to a
// file, the menu and its commands, and the right click on a real list box.
#include <doctest/doctest.h>

#include <ole2.h>

#include <string>
#include <vector>

#include "CountingShell.h"
#include "MenuDriver.h"
#include "MenuTestSupport.h"
#include "controls/PathListBoxMenu.h"
#include "support/TestSupport.h"

int main(int argc, char** argv)
{
    // The shell's clipboard commands need OLE, as in the program.
    ::OleInitialize(nullptr);
    int result = doctest::Context(argc, argv).run();
    ::OleUninitialize();
    return result;
}

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The real shell's folder of `folder`, bound from the desktop.
IShellFolder* BindFolder(const std::string& folder)
{
    IShellFolder* desktop = nullptr;
    REQUIRE(SUCCEEDED(::SHGetDesktopFolder(&desktop)));
    std::wstring wide(folder.begin(), folder.end());
    LPITEMIDLIST idl = nullptr;
    IShellFolder* bound = nullptr;
    REQUIRE(SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &idl, nullptr)));
    REQUIRE(SUCCEEDED(desktop->BindToObject(idl, nullptr, IID_IShellFolder,
                                            reinterpret_cast<void**>(&bound))));
    ::CoTaskMemFree(idl);
    desktop->Release();
    return bound;
}

}  // namespace

TEST_CASE("the shell command record carries the offset of the chosen command")
{
    const DWORD recordSize = sizeof(void*) == 8 ? 56 : 36;
    struct Case { UINT id; UINT_PTR verb; } cases[] = {
        {1, 0}, {5, 4}, {1000, 999}, {1002, 1001}, {0x7FFF, 0x7FFE},
    };
    HWND owner = ::GetDesktopWindow();
    for (const Case& c : cases) {
        CAPTURE(c.id);
        CMINVOKECOMMANDINFO info = ShellCommandInfo(owner, c.id);
        CHECK(info.cbSize == recordSize);
        CHECK(info.fMask == 0);
        CHECK(info.hwnd == owner);
        CHECK(reinterpret_cast<UINT_PTR>(info.lpVerb) == c.verb);
        CHECK(info.lpParameters == nullptr);
        CHECK(info.lpDirectory == nullptr);
        CHECK(info.nShow == SW_SHOWNORMAL);
        CHECK(info.dwHotKey == 0);
        CHECK(info.hIcon == nullptr);
    }
}

TEST_CASE("the walk from the desktop to the file releases everything it obtained, in order")
{
    TempFile file("quendrix walk.dll");
    const std::string walked = "desktop.parse {F} | desktop.bind {F} | free {F} | desktop released";
    struct Case {
        const char* name;
        std::string path;
        const char* failing;
        bool result;
        std::string events;
    } cases[] = {
        {"a file", file.path, "", true,
         walked + " | folder.parse {N} | folder.uiobject 1 {N} | menu.query | menu released | free {N}"
                  " | folder released"},
        {"no folder", "unknown", "", false, "desktop released"},
        {"no file name", file.folder, "", false, "desktop released"},
        {"a missing folder", file.folder + "no such folder\\x.dll", "", false,
         "desktop.parse {F}no such folder\\ failed | desktop released"},
        {"binding fails", file.path, "bind", false,
         "desktop.parse {F} | desktop.bind {F} failed | free {F} | desktop released"},
        {"a missing file", file.folder + "no such file.dll", "", false,
         walked + " | folder.parse no such file.dll failed | folder released"},
    };
    HostFixture f;
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ShellLog log;
        if (*c.failing)
            log.failing.insert(c.failing);
        IMalloc* realMalloc = nullptr;
        IShellFolder* realDesktop = nullptr;
        REQUIRE(SUCCEEDED(::SHGetMalloc(&realMalloc)));
        REQUIRE(SUCCEEDED(::SHGetDesktopFolder(&realDesktop)));
        IMalloc* malloc = WrapMalloc(realMalloc, log);

        MenuDriver driver(Choose(nullptr));
        IShellFolder* desktop = WrapFolder(realDesktop, "desktop", log);
        bool result = f.list.ShowShellMenu(malloc, desktop, c.path.c_str(), POINT{60, 60});

        CHECK(result == c.result);
        CHECK(driver.menuShown == c.result);
        CHECK(driver.dialogs.empty());
        CHECK(log.Joined() == Replace(Replace(c.events, "{F}", file.folder), "{N}", file.name));
        malloc->Release();
    }
}

TEST_CASE("the menu ends with its own entry and carries out what is chosen")
{
    TempFile file("quendrix menu.txt");
    const std::string copy = ShellVerbLabel(file.path, "copy");
    const std::string shown = "folder.uiobject 1 {N} | menu.query";
    struct Case {
        const char* name;
        const char* choice;  // null: Escape
        const char* failing;
        bool menu;
        const char* dialog;  // "" for none
        std::string events;
    } cases[] = {
        {"dismissed", nullptr, "", true, "", shown + " | menu released"},
        {"own entry", "Modulinformationen", "", true, "Noch nicht implementiert", shown + " | menu released"},
        {"shell command", copy.c_str(), "", true, "", shown + " | menu.invoke {V} | menu released"},
        {"shell command fails", copy.c_str(), "invoke", true, "InvokeCommand failed. hr = 80070005",
         shown + " | menu.invoke {V} failed | menu released"},
        {"no context menu", nullptr, "uiobject", false, "GetUIObjectOf failed! hr = 80070005",
         "folder.uiobject 1 {N} failed"},
        {"menu not filled", nullptr, "query", false, "",
         "folder.uiobject 1 {N} | menu.query failed | menu released"},
    };
    HostFixture f;
    for (const Case& c : cases) {
        CAPTURE(c.name);
        EmptyTheClipboard();
        ShellLog log;
        if (*c.failing)
            log.failing.insert(c.failing);
        IShellFolder* folder = WrapFolder(BindFolder(file.folder), "folder", log);
        std::wstring wide(file.name.begin(), file.name.end());
        LPITEMIDLIST item = nullptr;
        REQUIRE(SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &item, nullptr)));
        log.events.clear();

        UINT chosen = 0;
        MenuDriver driver(Choose(c.choice, &chosen));
        POINT at{80, 90};
        f.list.ShowContextMenu(f.list.m_hWnd, folder, item, &at);

        CHECK(driver.menuShown == c.menu);
        CHECK(driver.dialogs == (*c.dialog ? std::vector<std::string>{c.dialog} : std::vector<std::string>{}));
        CHECK(log.Joined() == Replace(Replace(c.events, "{N}", file.name), "{V}",
                                      std::to_string(chosen - 1)));
        CHECK_FALSE(::IsMenu(log.popup));  // destroyed on every path
        if (c.menu) {
            // The shell's own entries, then a separator and the own entry.
            CHECK(driver.menuAt.x == at.x);
            CHECK(driver.menuAt.y == at.y);
            const std::vector<MenuItem>& items = driver.items;
            REQUIRE(items.size() >= 3);
            CHECK_FALSE(items[items.size() - 3].separator);
            CHECK(items[items.size() - 2].separator);
            CHECK(items.back().id == ID_MODULE_INFO);
            CHECK(items.back().text == "Modulinformationen");
        }
        for (const CMINVOKECOMMANDINFO& info : log.invoked) {
            CHECK(info.hwnd == f.list.m_hWnd);
            CHECK(info.nShow == SW_SHOWNORMAL);
        }
        if (std::string(c.name) == "shell command")
            CHECK(ClipboardFiles() == std::vector<std::string>{file.path});
        folder->Release();
        ::CoTaskMemFree(item);
    }
}
