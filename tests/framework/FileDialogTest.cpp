// CFileDialog on the system's real open and save dialogs: options, ownership, the hook child
// bound to the object, and OnInitDone.
#include <doctest/doctest.h>

#include <string>

#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include "support/FileDialogSupport.h"
#include "support/TestSupport.h"

namespace {

CWinApp g_app("FileDialogTest");

class COwnerDlg : public CDialog {
public:
    COwnerDlg() : CDialog(200) {}
};

// Counts OnInitDone and remembers the window the object was bound to then.
class CRecordingFileDialog : public CFileDialog {
public:
    using CFileDialog::CFileDialog;
    int m_initDone = 0;
    HWND m_hookAtInitDone = nullptr;

protected:
    void OnInitDone() override
    {
        ++m_initDone;
        m_hookAtInitDone = m_hWnd;
    }
};

// Runs an owner dialog, as the application's main window, with `script` inside its modal loop.
void RunWithOwner(const std::function<void(HWND owner)>& script)
{
    COwnerDlg owner;
    testing::RunAsMainWindow(owner, [&] { script(owner.m_hWnd); });
}

}  // namespace

TEST_CASE("a save dialog proposes its name, appends the default extension, and binds its hook child")
{
    const std::string folder = testing::FreshFolder();
    REQUIRE(::SetCurrentDirectoryA(folder.c_str()));
    RunWithOwner([&](HWND owner) {
        CRecordingFileDialog dialog(FALSE, "txt", "Modules.Txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
        bool seen = false;
        // No parent given: the application's main window owns the dialog.
        testing::WhenOwnedWindowAppears(owner, "#32770", [&](HWND shown) {
            seen = true;
            HWND hook = testing::HookChild(shown);
            CHECK(hook != nullptr);
            CHECK(dialog.m_hWnd == hook);
            CHECK(CWnd::FromHandlePermanent(hook) == &dialog);
            CHECK(dialog.GetParent()->m_hWnd == shown);
            CHECK(dialog.m_initDone == 1);
            CHECK(dialog.m_hookAtInitDone == hook);
            HWND name = testing::FileNameBox(shown);
            REQUIRE(name != nullptr);
            CHECK(testing::WindowText(name) == "Modules.Txt");
            // No filter: the type box offers nothing.
            HWND types = ::GetDlgItem(shown, 1136);
            REQUIRE(types != nullptr);
            CHECK(::SendMessageA(types, CB_GETCOUNT, 0, 0) == 0);
            // The dialog may open on the folder it showed last: name the folder too.
            ::SetWindowTextA(name, (folder + "\\report").c_str());
            testing::PostCommand(shown, IDOK);
        });
        CHECK(dialog.DoModal() == IDOK);
        CHECK(seen);
        CHECK(std::string(dialog.GetPathName()) == folder + "\\report.txt");
        // The hook child is gone, and the object is unbound.
        CHECK(dialog.m_hWnd == nullptr);
        CHECK(::GetFileAttributesA((folder + "\\report.txt").c_str()) == INVALID_FILE_ATTRIBUTES);

        CRecordingFileDialog cancelled(FALSE, "txt", "Modules.Txt");
        testing::WhenOwnedWindowAppears(owner, "#32770", [&](HWND shown) { testing::PostCommand(shown, IDCANCEL); });
        CHECK(cancelled.DoModal() == IDCANCEL);
        CHECK(cancelled.m_initDone == 1);
        testing::CancelWatches();
    });
}
