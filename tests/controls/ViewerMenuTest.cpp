// The context menu in the running program's own dialog: on the module list and the process list.
#include <doctest/doctest.h>

#include "MenuDriver.h"
#include "MenuTestSupport.h"
#include "controls/PathListBoxMenu.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

namespace {

using testing::CTestViewerDlg;

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

        const int process = dialog.m_lstProcesses.GetCurSel();
        const std::vector<std::string> listed = testing::ListTexts(modules.m_hWnd);
        MenuDriver info(Choose("Modulinformationen"));
        RightClickEntry(modules, kernel);
        CHECK(info.menuShown);
        CHECK(modules.GetCurSel() == kernel);
        // Nothing else follows the module list's selection.
        CHECK(dialog.m_lstProcesses.GetCurSel() == process);
        CHECK(testing::ListTexts(modules.m_hWnd) == listed);
        const std::string copyLabel = ShellVerbLabel(path, "copy");
        CHECK(FindItem(info.items, copyLabel.c_str()) != 0);
        CHECK(FindItem(info.items, ShellVerbLabel(path, "properties").c_str()) != 0);
        REQUIRE(info.items.size() >= 3);
        CHECK(info.items[info.items.size() - 2].separator);
        CHECK(info.items.back().id == ID_MODULE_INFO);
        CHECK(info.dialogs == std::vector<std::string>{"Noch nicht implementiert"});

        EmptyTheClipboard();
        MenuDriver copy(Choose(copyLabel.c_str()));
        RightClickEntry(modules, kernel);
        CHECK(copy.dialogs.empty());
        CHECK(ClipboardFiles() == std::vector<std::string>{path});
    });
}

TEST_CASE("a right click on another process lists its modules before the menu opens")
{
    CTestViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        SelectOwnProcess(dialog);
        CPathListBox& processes = dialog.m_lstProcesses;
        int own = processes.GetCurSel();
        int other = own == 0 ? 1 : 0;
        std::vector<std::string> modulesBefore = testing::ListTexts(dialog.m_lstModules.m_hWnd);
        REQUIRE(processes.GetCount() > 1);

        std::vector<std::string> modulesWhileOpen;
        MenuDriver driver([&](const std::vector<MenuItem>&) {
            modulesWhileOpen = testing::ListTexts(dialog.m_lstModules.m_hWnd);
            return 0u;
        });
        RightClickEntry(processes, other);
        CHECK(driver.menuShown);
        CHECK(processes.GetCurSel() == other);
        CHECK(driver.dialogs.empty());
        // What a selection of the other process by the user lists.
        REQUIRE(testing::SelectEntryById(processes, processes.GetItemId(other)) == other);
        const std::vector<std::string> otherModules = testing::ListTexts(dialog.m_lstModules.m_hWnd);
        REQUIRE(otherModules != modulesBefore);
        CHECK(modulesWhileOpen == otherModules);
    });
}
