// The folder chooser on the system's real open dialog, and the copy command that uses it, run
// from the real main dialog.
#include <doctest/doctest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/FolderDialog.h"
#include "app/ViewerDlg.h"
#include "framework/WinApp.h"
#include "paths/DisplayName.h"
#include "support/FileDialogSupport.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

namespace {

CWinApp g_app("FolderDialogTest");

using testing::CTestViewerDlg;

// Runs the real main dialog as the application's main window, with `script` in its loop.
void RunMainDialog(const std::function<void(CTestViewerDlg&)>& script)
{
    CTestViewerDlg dialog;
    testing::RunAsMainWindow(dialog, [&] { script(dialog); });
    testing::CancelWatches();
}

std::string CurrentDirectory()
{
    char current[MAX_PATH] = "";
    ::GetCurrentDirectoryA(MAX_PATH, current);
    return current;
}

// Runs the folder chooser from the main dialog; `action` sees the reshaped dialog window and
// ends it (posting its command). Returns DoModal's result.
INT_PTR ChooseFolder(HWND mainDialog, CString& folder, const std::function<void(HWND)>& action)
{
    testing::ForgetLastFolders();
    CFolderDialog chooser(&folder);
    testing::WhenOwnedWindowAppears(mainDialog, "#32770", action);
    return chooser.DoModal();
}

// A chooser whose dialog lists a toolbar with the OK button's id before the button, as some
// systems' dialogs do: the toolbar is brought to the top of the children before the reshaping.
class CToolbarFirstFolderDialog : public CFolderDialog {
public:
    using CFolderDialog::CFolderDialog;
    HWND m_hToolbar = nullptr;
    std::string m_toolbarText;

protected:
    void OnInitDone() override
    {
        HWND parent = ::GetParent(m_hWnd);
        for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (::GetDlgCtrlID(child) == IDOK && child != testing::OkButton(parent))
                m_hToolbar = child;
        }
        if (m_hToolbar) {
            ::SetWindowPos(m_hToolbar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            m_toolbarText = testing::WindowText(m_hToolbar);
        }
        CFolderDialog::OnInitDone();
    }
};

}  // namespace

TEST_CASE("the OK button moves beside Cancel and the list grows down to the button row")
{
    // Cancel (300,240)-(375,263), OK (300,210)-(375,233), list (8,40)-(375,200).
    FolderDialogLayout layout = ComputeFolderDialogLayout({300, 240, 375, 263}, {300, 210, 375, 233}, {8, 40, 375, 200});
    CHECK(layout.okPosition.x == 221);
    CHECK(layout.okPosition.y == 240);
    CHECK(layout.listSize.cx == 367);
    CHECK(layout.listSize.cy == 196);
    // A list that starts below Cancel's top gets the distance's absolute value, never a
    // negative height.
    layout = ComputeFolderDialogLayout({300, 40, 375, 63}, {300, 10, 375, 33}, {8, 50, 375, 60});
    CHECK(layout.listSize.cy == 14);
}

TEST_CASE("Select stores the folder the chooser shows; Cancel, Escape and closing leave the string")
{
    const std::string start = testing::FreshFolder();
    RunMainDialog([&](CTestViewerDlg& main) {
        REQUIRE(::SetCurrentDirectoryA(start.c_str()));
        CString folder = "c:\\temp\\";
        INT_PTR result = ChooseFolder(main.m_hWnd, folder, [](HWND shown) {
            CHECK(testing::WindowText(shown) == "Choose folder");
            HWND ok = testing::OkButton(shown);
            HWND cancel = ::GetDlgItem(shown, IDCANCEL);
            CHECK(testing::WindowText(ok) == "Select");
            const CRect okRect = testing::ClientRectOf(shown, ok), cancelRect = testing::ClientRectOf(shown, cancel);
            CHECK(okRect.right == cancelRect.left - 4);
            CHECK(okRect.top == cancelRect.top);
            // No file name box, no file type box, no labels.
            for (int id : {1152, 1148, 1090, 1136, 1089}) {
                HWND control = ::GetDlgItem(shown, id);
                CHECK_MESSAGE((!control || !::IsWindowVisible(control)), "control " << id);
            }
            CHECK(::GetWindowLongPtrA(shown, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FolderDlgWndProc));
            testing::PostCommand(shown, IDOK);
        });
        CHECK(result == IDOK);
        // Without browsing: the folder it opened on, which stays the current directory.
        CHECK(std::string(folder) == start);
        CHECK(CurrentDirectory() == start);

        // A drive's root keeps its backslash.
        REQUIRE(::SetCurrentDirectoryA("C:\\"));
        CHECK(ChooseFolder(main.m_hWnd, folder, [](HWND shown) { testing::PostCommand(shown, IDOK); }) == IDOK);
        CHECK(std::string(folder) == "C:\\");

        struct Ending { const char* what; std::function<void(HWND)> end; } endings[] = {
            {"Cancel", [](HWND shown) { testing::PostCommand(shown, IDCANCEL); }},
            {"Escape", [](HWND shown) {
                 HWND focus = ::GetDlgItem(shown, IDCANCEL);
                 ::PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
             }},
            {"close box", [](HWND shown) { ::PostMessageA(shown, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        };
        REQUIRE(::SetCurrentDirectoryA(start.c_str()));
        for (const Ending& ending : endings) {
            CAPTURE(ending.what);
            CString untouched = "c:\\temp\\";
            CHECK(ChooseFolder(main.m_hWnd, untouched, ending.end) == IDCANCEL);
            CHECK(std::string(untouched) == "c:\\temp\\");
        }
    });
}

TEST_CASE("Select is written on the OK button, also where a toolbar with its id comes first")
{
    RunMainDialog([&](CTestViewerDlg& main) {
        CString folder = "c:\\temp\\";
        CToolbarFirstFolderDialog chooser(&folder);
        testing::WhenOwnedWindowAppears(main.m_hWnd, "#32770", [&](HWND shown) {
            CHECK(chooser.m_hToolbar != nullptr);
            CHECK(::GetDlgItem(shown, IDOK) == chooser.m_hToolbar);
            CHECK(testing::WindowText(testing::OkButton(shown)) == "Select");
            CHECK(testing::WindowText(chooser.m_hToolbar) == chooser.m_toolbarText);
            testing::PostCommand(shown, IDCANCEL);
        });
        CHECK(chooser.DoModal() == IDCANCEL);
    });
}

TEST_CASE("the copy command copies every module of the selected process once, never overwriting")
{
    const std::string target = testing::FreshFolder() + "\\copies";
    ::CreateDirectoryA(target.c_str(), nullptr);
    RunMainDialog([&](CTestViewerDlg& main) {
        REQUIRE(testing::SelectEntryById(main.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
        std::vector<std::string> modules;
        for (int i = 0; i < main.m_lstModules.GetCount(); ++i) {
            char path[MAX_PATH];
            REQUIRE(main.m_lstModules.GetItemPath(i, path) >= 0);
            modules.push_back(path);
        }
        REQUIRE(!modules.empty());
        char exe[MAX_PATH];
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        const std::string process = DisplayNameOf(exe).GetString();

        // Copies the modules into the target folder, the chooser ended with `button`; returns
        // the message that follows, "<none>" when none does. Every message comes while the
        // command runs, and the watch for it lasts longer.
        auto copy = [&](int button) {
            std::string message = "<none>";
            HWND chooser = nullptr;
            // The chooser may still show while it closes: a watch that finds it watches on.
            std::function<void(HWND)> answer = [&](HWND box) {
                if (box == chooser) {
                    testing::WhenOwnedWindowAppears(main.m_hWnd, "#32770", answer);
                    return;
                }
                message = testing::MessageBoxText(box);
                testing::PostCommand(box, IDOK);
            };
            testing::ForgetLastFolders();
            REQUIRE(::SetCurrentDirectoryA(target.c_str()));
            testing::WhenOwnedWindowAppears(main.m_hWnd, "#32770", [&](HWND shown) {
                chooser = shown;
                testing::WhenOwnedWindowAppears(main.m_hWnd, "#32770", answer);
                testing::PostCommand(shown, button);
            });
            testing::ClickButton(main.m_hWnd, IDC_COPY_MODULES);
            testing::CancelWatches();
            return message;
        };

        CHECK(copy(IDOK) == "All Modules used by " + process + " copied in " + target);
        for (const std::string& module : modules)
            CHECK(testing::FileContent(target + "\\" + DisplayNameOf(module.c_str()).GetString()) == testing::FileContent(module));

        // Again: every copy fails, and the folder stays as it was.
        std::ofstream(target + "\\" + DisplayNameOf(modules[0].c_str()).GetString(), std::ios::binary) << "mine";
        CHECK(copy(IDOK) == std::to_string(modules.size()) + " of the Files used by " + process +
                            " couldn't be copied\n Check if " + target +
                            " doesn't already contain any of the files to be copied");
        CHECK(testing::FileContent(target + "\\" + DisplayNameOf(modules[0].c_str()).GetString()) == "mine");

        // Cancelling the chooser copies nothing and shows nothing.
        ::DeleteFileA((target + "\\" + DisplayNameOf(modules[0].c_str()).GetString()).c_str());
        CHECK(copy(IDCANCEL) == "<none>");
        CHECK(testing::FileContent(target + "\\" + DisplayNameOf(modules[0].c_str()).GetString()) == "<missing>");
    });
}
