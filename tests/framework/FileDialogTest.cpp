// CFileDialog on the system's real open and save dialogs: options, ownership, the hook child
// bound to the object, OnInitDone, and a subclass that reshapes the dialog and ends it itself.
#include <doctest/doctest.h>

#include <string>

#include "framework/FileDialog.h"
#include "framework/WinApp.h"
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

// The hook child of a file dialog: its child dialog with control id 0.
HWND HookChild(HWND fileDialog)
{
    for (HWND child = ::GetWindow(fileDialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (::GetDlgCtrlID(child) == 0 && lstrcmpA(name, "#32770") == 0)
            return child;
    }
    return nullptr;
}

// The push button with id IDOK (the dialog may carry a toolbar with id 1 as well).
HWND OkButton(HWND fileDialog)
{
    for (HWND child = ::GetWindow(fileDialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (::GetDlgCtrlID(child) == IDOK && lstrcmpiA(name, "Button") == 0)
            return child;
    }
    return nullptr;
}

// Runs an owner dialog, as the application's main window, with `script` inside its modal loop.
void RunWithOwner(const std::function<void(HWND owner)>& script)
{
    COwnerDlg owner;
    g_app.m_pMainWnd = &owner;
    testing::RunModal(owner, [&] { script(owner.m_hWnd); });
    g_app.m_pMainWnd = nullptr;
}

void PostCommand(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::string FreshFolder()
{
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quendrix-dialog." + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A folder chooser in the making: an open dialog that hides its name and type boxes, calls its
// OK button "Select", and on Select stores the folder shown and ends the dialog itself.
WNDPROC g_previousProc;
class CFolderShapeDialog : public CFileDialog {
public:
    explicit CFolderShapeDialog(std::string* folder)
        : CFileDialog(TRUE, nullptr, "*..*", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), m_folder(folder) {}
    std::string* m_folder;

protected:
    void OnInitDone() override
    {
        for (int id : {1152, 1148, 1090, 1136, 1089})
            HideControl(id);
        SetControlText(IDOK, "Select");
        CWnd* dialog = GetParent();
        dialog->SetWindowText("Choose folder");
        g_previousProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(dialog->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SelectProc)));
    }

    static LRESULT CALLBACK SelectProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COMMAND && wParam == MAKEWPARAM(IDOK, BN_CLICKED)) {
            char folder[MAX_PATH] = "";
            ::GetCurrentDirectoryA(MAX_PATH, folder);
            CWnd* hook = CWnd::FromHandlePermanent(HookChild(hWnd));
            if (hook && hook->IsKindOf(RUNTIME_CLASS(CFileDialog)))
                *static_cast<CFolderShapeDialog*>(hook)->m_folder = folder;
            ::EndDialog(hWnd, IDOK);
            return 0;
        }
        return ::CallWindowProcA(g_previousProc, hWnd, message, wParam, lParam);
    }
};

}  // namespace

TEST_CASE("a save dialog proposes its name, appends the default extension, and binds its hook child")
{
    const std::string folder = FreshFolder();
    REQUIRE(::SetCurrentDirectoryA(folder.c_str()));
    RunWithOwner([&](HWND owner) {
        CRecordingFileDialog dialog(FALSE, "txt", "Modules.Txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
        bool seen = false;
        // No parent given: the application's main window owns the dialog.
        testing::WhenOwnedWindowAppears(owner, "#32770", [&](HWND shown) {
            seen = true;
            HWND hook = HookChild(shown);
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
            CHECK(::SendDlgItemMessageA(shown, 1136, CB_GETCOUNT, 0, 0) <= 0);
            // The dialog may open on the folder it showed last: name the folder too.
            ::SetWindowTextA(name, (folder + "\\report").c_str());
            PostCommand(shown, IDOK);
        });
        CHECK(dialog.DoModal() == IDOK);
        CHECK(seen);
        CHECK(std::string(dialog.GetPathName()) == folder + "\\report.txt");
        // The hook child is gone, and the object is unbound.
        CHECK(dialog.m_hWnd == nullptr);
        CHECK(::GetFileAttributesA((folder + "\\report.txt").c_str()) == INVALID_FILE_ATTRIBUTES);

        CRecordingFileDialog cancelled(FALSE, "txt", "Modules.Txt");
        testing::WhenOwnedWindowAppears(owner, "#32770", [&](HWND shown) { PostCommand(shown, IDCANCEL); });
        CHECK(cancelled.DoModal() == IDCANCEL);
        CHECK(cancelled.m_initDone == 1);
        testing::CancelWatches();
    });
}

TEST_CASE("a subclass reshapes the dialog in OnInitDone and ends it with IDOK from its own procedure")
{
    const std::string folder = FreshFolder();
    REQUIRE(::SetCurrentDirectoryA(folder.c_str()));
    RunWithOwner([&](HWND owner) {
        std::string chosen = "untouched";
        CFolderShapeDialog dialog(&chosen);
        testing::WhenOwnedWindowAppears(owner, "#32770", [&](HWND shown) {
            CHECK(testing::WindowText(shown) == "Choose folder");
            CHECK(testing::WindowText(OkButton(shown)) == "Select");
            HWND name = testing::FileNameBox(shown);
            CHECK((name && !::IsWindowVisible(name)));
            for (int id : {1090, 1136, 1089}) {
                HWND control = ::GetDlgItem(shown, id);
                CHECK_MESSAGE((control && !::IsWindowVisible(control)), "control " << id);
            }
            PostCommand(shown, IDOK);
        });
        CHECK(dialog.DoModal() == IDOK);
        // The folder the dialog showed, which it made the current directory.
        char current[MAX_PATH] = "";
        ::GetCurrentDirectoryA(MAX_PATH, current);
        CHECK(chosen == current);

        // Cancel leaves the string as it was.
        std::string untouched = "untouched";
        CFolderShapeDialog cancelled(&untouched);
        testing::WhenOwnedWindowAppears(owner, "#32770", [&](HWND shown) { PostCommand(shown, IDCANCEL); });
        CHECK(cancelled.DoModal() == IDCANCEL);
        CHECK(untouched == "untouched");
        testing::CancelWatches();
    });
}
