// The module report written by the main dialog: with the lists filled from this very process
// and its loaded fixture modules, through the real save dialog, and when the file cannot be
// written.
#include <doctest/doctest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "export/Fixtures.h"
#include "framework/WinApp.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

namespace {

CWinApp g_app("SaveListTest");

using testing::CTestViewerDlg;

// Keeps the fixture modules of this build's bitness loaded for the whole run.
struct LoadedFixtures {
    LoadedFixtures()
    {
        for (const fixtures::Fixture& fixture : fixtures::All())
            if (!fixture.image)
                REQUIRE(::LoadLibraryA(fixtures::PathOf(fixture).c_str()) != nullptr);
    }
};

std::string ProcessHeader(CTestViewerDlg& dialog)
{
    CString name;
    dialog.m_lstProcesses.GetText(dialog.m_lstProcesses.GetCurSel(), name);
    return "Module zum Prozess: " + std::string(name) + "\r\n\r\n";
}

// Runs the main dialog, as the application's main window, with `script` inside its modal loop.
void RunViewer(const std::function<void(CTestViewerDlg&)>& script)
{
    CTestViewerDlg dialog;
    testing::RunAsMainWindow(dialog, [&] { script(dialog); });
}

// Fills the module list with the fixture modules only, an entry for a file that has gone, and
// one entry without a stored path; returns the whole report that the list calls for.
std::string FillKnownModules(CTestViewerDlg& dialog, const std::string& folder)
{
    CPathListBox& modules = dialog.m_lstModules;
    modules.ClearItems();
    std::map<std::string, std::string> lines;  // by the text the list shows
    for (const fixtures::Fixture& fixture : fixtures::All()) {
        modules.AddItem(fixtures::PathOf(fixture).c_str(), 0);
        lines[fixture.file] = fixtures::ExpectedLine(fixture);
    }
    const std::string vanished = folder + "vanished.dll";
    modules.AddItem(vanished.c_str(), 0);
    lines["vanished.dll"] = vanished + "\t(Vunknown)\n";
    modules.FreeItemData(modules.AddItem((folder + "no record.dll").c_str(), 0));
    lines["no record.dll"] = "no record.dll\t(Vunknown)\n";

    std::string report = ProcessHeader(dialog);
    for (const std::string& shown : testing::ListTexts(modules.m_hWnd))
        report += fixtures::CrLf(lines.at(shown));
    return report;
}

std::string IncompleteMessage(const std::string& file)
{
    // The box's text in UTF-8; the test's file names are ASCII.
    return "Die Modulliste konnte nicht vollständig in die Datei\n" + file + "\ngeschrieben werden.";
}

// Writes the report into `file` and answers the message box that must follow; returns its
// text ("" when none came). A second message box fails the test: every box comes while the
// command runs, and both watches last longer than it.
std::string WriteExpectingMessage(CTestViewerDlg& dialog, const std::string& file)
{
    std::string text;
    int boxes = 0;
    HWND last = nullptr;
    // A box that still shows while it closes is watched past.
    std::function<void(HWND)> answer = [&](HWND box) {
        if (box == last) {
            testing::WhenOwnedWindowAppears(dialog.m_hWnd, "#32770", answer);
            return;
        }
        last = box;
        ++boxes;
        text = testing::MessageBoxText(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    testing::WhenOwnedWindowAppears(dialog.m_hWnd, "#32770", answer);
    testing::WhenOwnedWindowAppears(dialog.m_hWnd, "#32770", answer);
    dialog.WriteModuleReport(file.c_str());
    testing::CancelWatches();
    CHECK(boxes == 1);
    return text;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST_CASE("the report states every module of the selected process in the list's order")
{
    LoadedFixtures loaded;
    const std::string folder = fixtures::FreshTempFolder("quendrix-report");
    RunViewer([&](CTestViewerDlg& dialog) {
        REQUIRE(testing::SelectEntryById(dialog.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
        CPathListBox& modules = dialog.m_lstModules;
        for (const fixtures::Fixture& fixture : fixtures::All())
            if (fixture.image)
                modules.AddItem(fixtures::PathOf(fixture).c_str(), 0);

        const std::string file = folder + "own.txt";
        dialog.WriteModuleReport(file.c_str());
        const std::string report = fixtures::ReadBytes(file);

        // Header, then one line per entry, beginning with the entry's full path; the fixture
        // modules' lines byte for byte.
        const std::string header = ProcessHeader(dialog);
        REQUIRE(report.compare(0, header.size(), header) == 0);
        std::map<std::string, std::string> known;
        for (const fixtures::Fixture& fixture : fixtures::All())
            known[fixtures::PathOf(fixture)] = fixtures::CrLf(fixtures::ExpectedLine(fixture));
        size_t at = header.size();
        int fixtureLines = 0;
        for (int i = 0; i < modules.GetCount(); ++i) {
            CString path;
            modules.GetItemText(i, path);
            auto fixture = known.find(std::string(path));
            std::string expected = fixture != known.end() ? fixture->second : std::string(path) + "\t(V";
            INFO("entry " << i << ": " << path.GetString());
            REQUIRE(report.compare(at, expected.size(), expected) == 0);
            fixtureLines += fixture != known.end();
            at = fixture != known.end() ? at + expected.size() : report.find(")\r\n", at) + 3;
        }
        CHECK(at == report.size());
        CHECK(fixtureLines == static_cast<int>(fixtures::All().size()));

        // The same list written once more gives the same bytes: nothing carries over.
        dialog.WriteModuleReport((folder + "again.txt").c_str());
        CHECK(fixtures::ReadBytes(folder + "again.txt") == report);
    });
}

TEST_CASE("known modules give a report known byte for byte; no selection names no process")
{
    const std::string folder = fixtures::FreshTempFolder("quendrix-known");
    RunViewer([&](CTestViewerDlg& dialog) {
        const std::string expected = FillKnownModules(dialog, folder);
        dialog.WriteModuleReport((folder + "known.txt").c_str());
        CHECK(fixtures::ReadBytes(folder + "known.txt") == expected);

        // An existing file is truncated.
        fixtures::WriteBytes(folder + "old.txt", std::string(20000, 'x'));
        dialog.WriteModuleReport((folder + "old.txt").c_str());
        CHECK(fixtures::ReadBytes(folder + "old.txt") == expected);

        // With no process listed nothing is selected: the header names none, and no module
        // line follows.
        dialog.m_lstModules.ClearItems();
        dialog.m_lstProcesses.ClearItems();
        dialog.WriteModuleReport((folder + "empty.txt").c_str());
        CHECK(fixtures::ReadBytes(folder + "empty.txt") == "Module zum Prozess: \r\n\r\n");
    });
}

TEST_CASE("a report that cannot be written completely is reported once, naming the file")
{
    const std::string folder = fixtures::FreshTempFolder("quendrix-errors");
    RunViewer([&](CTestViewerDlg& dialog) {
        FillKnownModules(dialog, folder);

        const std::string missing = folder + "no such folder\\report.txt";
        CHECK(WriteExpectingMessage(dialog, missing) == IncompleteMessage(missing));
        CHECK_FALSE(Exists(missing));

        // The host's /dev/full, which every machine that runs script/test has.
        HANDLE probe = ::CreateFileA("Z:\\dev\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        REQUIRE_MESSAGE(probe != INVALID_HANDLE_VALUE, "Z:\\dev\\full (the host's /dev/full) is not reachable");
        ::CloseHandle(probe);
        CHECK(WriteExpectingMessage(dialog, "Z:\\dev\\full") == IncompleteMessage("Z:\\dev\\full"));
        // The dialog goes on as before.
        CHECK(dialog.ContinueModal());
        CHECK(dialog.m_lstModules.GetCount() == static_cast<int>(fixtures::All().size()) + 2);
    });
}

// Run by its own test entry, under a file size limit that stands for a disk that fills up
// in the middle of the report (QUENDRIX_FILE_SIZE_LIMIT bytes).
TEST_CASE("a disk that fills up in the middle keeps what was written and says so" * doctest::skip())
{
    REQUIRE_MESSAGE(::GetACP() == 1251, "ANSI code page " << ::GetACP() << ": run by the test entry that sets a locale of 1251");
    const char* limitText = std::getenv("QUENDRIX_FILE_SIZE_LIMIT");
    REQUIRE(limitText != nullptr);
    const size_t limit = std::strtoul(limitText, nullptr, 10);
    const std::string folder = fixtures::FreshTempFolder("quendrix-limit");
    RunViewer([&](CTestViewerDlg& dialog) {
        const std::string expected = FillKnownModules(dialog, folder);
        REQUIRE(expected.size() > limit);
        const std::string file = folder + "limited.txt";
        CHECK(WriteExpectingMessage(dialog, file) == IncompleteMessage(file));
        CHECK(fixtures::ReadBytes(file) == expected.substr(0, limit));
    });
}

TEST_CASE("the save button writes the report into the file the user names in the save dialog")
{
    const std::string folder = fixtures::FreshTempFolder("quendrix-save");
    const std::string shortFolder = folder.substr(0, folder.size() - 1);
    REQUIRE(::SetCurrentDirectoryA(folder.c_str()));
    RunViewer([&](CTestViewerDlg& dialog) {
        const std::string expected = FillKnownModules(dialog, folder);
        // Answers the save dialog: checks the proposed name, types `name` unless it is null, and
        // presses `button`; `then` runs on the dialog before the button is pressed.
        int saveDialogs = 0;
        auto save = [&](const char* name, int button, std::function<void(HWND)> then = nullptr) {
            testing::WhenOwnedWindowAppears(dialog.m_hWnd, "#32770", [=, &saveDialogs](HWND shown) {
                ++saveDialogs;
                HWND box = testing::FileNameBox(shown);
                CHECK(testing::WindowText(box) == "Modules.Txt");
                if (name)
                    ::SetWindowTextA(box, name);
                if (then)
                    then(shown);
                ::PostMessageA(shown, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            });
            testing::ClickButton(dialog.m_hWnd, IDC_SAVE_LIST);
            testing::CancelWatches();
        };

        // A name without extension gets ".txt".
        save((shortFolder + "\\report").c_str(), IDOK);
        CHECK(fixtures::ReadBytes(folder + "report.txt") == expected);

        // Leaving the proposed name saves "Modules.Txt" in the folder the dialog shows (the
        // one used last, or else the current one: both are this folder now).
        save(nullptr, IDOK);
        CHECK(fixtures::ReadBytes(folder + "Modules.Txt") == expected);

        // Cancelling creates no file and shows nothing: any window the main dialog owns besides
        // the save dialog, while the command runs, is a message too many. The guard watches
        // until the command has returned, as the prompt's watch below does.
        bool boxShown = false;
        HWND saveDialog = nullptr;
        std::function<void(HWND)> guard = [&](HWND shown) {
            if (shown == saveDialog) {
                testing::WhenOwnedWindowAppears(dialog.m_hWnd, "#32770", guard);
                return;
            }
            boxShown = true;
            ::PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
        };
        save((shortFolder + "\\cancelled").c_str(), IDCANCEL, [&](HWND shown) {
            saveDialog = shown;
            testing::WhenOwnedWindowAppears(dialog.m_hWnd, "#32770", guard);
        });
        CHECK_FALSE(boxShown);
        CHECK_FALSE(Exists(folder + "cancelled.txt"));

        // An existing file: the dialog asks before it is replaced; then it holds only the new
        // report.
        fixtures::WriteBytes(folder + "report.txt", std::string(20000, 'o'));
        bool asked = false;
        save((shortFolder + "\\report.txt").c_str(), IDOK, [&](HWND shown) {
            testing::WhenOwnedWindowAppears(shown, "#32770", [&](HWND prompt) {
                asked = true;
                ::PostMessageA(prompt, WM_COMMAND, IDYES, 0);
            });
        });
        CHECK(asked);
        CHECK(fixtures::ReadBytes(folder + "report.txt") == expected);
        CHECK(saveDialogs == 4);
    });
}
