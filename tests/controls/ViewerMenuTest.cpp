// The context menu in the running program's own dialog: on the module list and the process list.
#include <doctest/doctest.h>

#include "MenuDriver.h"
#include "MenuTestSupport.h"
#include "app/ViewerDlg.h"
#include "controls/PathListBoxMenu.h"
#include "support/TestSupport.h"

namespace {

class CTestViewerDlg : public CViewerDlg {
public:
    using CViewerDlg::m_lstModules;
    using CViewerDlg::m_lstProcesses;
};

// Selects this process's entry as a user would, so that the module list shows its modules.
void SelectOwnProcess(CTestViewerDlg& dialog)
{
    REQUIRE(testing::SelectEntryById(dialog.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
}

// Scrolls the entry into view and releases the right button over it.
void RightClickEntry(CPathListBox& list, int index)
{
    list.SendMessage(LB_SETTOPINDEX, index);
    RECT row{};
    list.GetItemRect(index, &row);
    list.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(row.left + 8, (row.top + row.bottom) / 2));
}

int IndexOf(HWND list, const char* text)
{
    return static_cast<int>(::SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(text)));
}

}  // namespace

TEST_CASE("a right click on a module of the running program opens the shell's menu and its commands work")
{
    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        SelectOwnProcess(dialog);
        CPathListBox& modules = dialog.m_lstModules;
        int kernel = IndexOf(modules.m_hWnd, "kernel32.dll");
        REQUIRE(kernel >= 0);
        char path[MAX_PATH] = "";
        REQUIRE(modules.GetItemPath(kernel, path) > 0);

        MenuDriver info(Choose("Modulinformationen"));
        RightClickEntry(modules, kernel);
        CHECK(info.menuShown);
        CHECK(modules.GetCurSel() == kernel);
        CHECK(FindItem(info.items, "Copy") != 0);
        CHECK(FindItem(info.items, "Properties") != 0);
        REQUIRE(info.items.size() >= 3);
        CHECK(info.items[info.items.size() - 2].separator);
        CHECK(info.items.back().id == ID_MODULE_INFO);
        CHECK(info.dialogs == std::vector<std::string>{"Noch nicht implementiert"});

        EmptyTheClipboard();
        MenuDriver copy(Choose("Copy"));
        RightClickEntry(modules, kernel);
        CHECK(copy.dialogs.empty());
        CHECK(ClipboardFiles() == std::vector<std::string>{path});
    });
}

TEST_CASE("a right click on another process selects it without refilling the module list")
{
    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        SelectOwnProcess(dialog);
        CPathListBox& processes = dialog.m_lstProcesses;
        int own = processes.GetCurSel();
        int other = own == 0 ? 1 : 0;
        std::vector<std::string> modulesBefore = testing::ListTexts(dialog.m_lstModules.m_hWnd);
        REQUIRE(processes.GetCount() > 1);

        MenuDriver driver(Choose(nullptr));
        RightClickEntry(processes, other);
        CHECK(processes.GetCurSel() == other);
        CHECK(testing::ListTexts(dialog.m_lstModules.m_hWnd) == modulesBefore);
        CHECK(driver.dialogs.empty());
    });
}
