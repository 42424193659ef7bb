// Running the console program from a test, and the dialog beside it.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "support/Conversion.h"

namespace clitest {

// The test suite of the cases that show the dialog, which are skipped unless asked for: they run
// under a ctest entry of their own, which takes the display.
const char kShowsDialog[] = "shows dialog";

struct Run {
    long exit;
    std::string out, err;
    DWORD id;
};

// This tree's console program: its whole path.
std::wstring CliProgram();

// Runs the console program (`program`, else this tree's QuendrixCli) with `arguments` (UTF-8);
// its output goes to `outFile`, or to a file of the test's own that is read back.
Run Cli(const std::string& arguments, const std::string& outFile = "", const std::wstring& program = L"");
// Cli again while it answers 3, three runs at most: a process that another test is just starting
// may not be readable yet, and a command that must read every process then rightly says 3.
Run CliAllRead(const std::string& arguments, const std::wstring& program = L"");

// The rows of CSV output without its heading, split at commas outside quotes; the heading.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv);
std::string CsvHeading(const std::string& csv);
// The ids in the first column of CSV output.
std::set<DWORD> Column0(const std::string& csv);

// Whether the system's process-status functions list `module` among the modules of process
// `id`, 32-bit modules of a 32-bit process included when the test is 64-bit.
bool HasModule(DWORD id, const char* module);

// This process: its id, and its program's file name.
std::string Own();
std::string OwnName();

// The module report of this process as the dialog's save writes it into `file`: the bytes.
std::string DialogSave(const std::string& file);
// The dialog's report of this process (saved into `folder`) and the console program's `report`
// run between two saves that agree: the dialog may load a system library after its save (to
// paint, say), and the comparison holds only while the process has the same modules.
struct Reports {
    std::string dialog;
    Run console;
};
Reports DialogAndConsoleReports(const std::string& folder);

// How often `part` stands in `text`, overlaps counted.
size_t Count(const std::string& text, const std::string& part);

// UTF-8 as UTF-16, and back, through the system's own conversion.
using testing::Utf8;
using testing::Wide;

}  // namespace clitest
