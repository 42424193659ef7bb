#include "cli/CliRun.h"

#include <doctest/doctest.h>

#include <cstdlib>
#include <algorithm>

#include "export/Fixtures.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "framework/WinApp.h"
#include "paths/DisplayName.h"
#include "support/StartedProcess.h"
#include "support/TestSupport.h"
#include "support/TestViewerDlg.h"

#define QUENDRIX_TEXT(name) #name
#define QUENDRIX_NAME(name) QUENDRIX_TEXT(name)

namespace {

CWinApp g_app("CliTest");

}  // namespace

namespace clitest {

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::wstring CliProgram()
{
    return Wide(testing::ExeDirectory()) + L"..\\" QUENDRIX_NAME(QUENDRIX_CLI_PROGRAM) L".exe";
}

// Runs the console program with `arguments` (UTF-8); its output goes to `outFile`, or to a file
// of the test's own that is read back.
Run Cli(const std::string& arguments, const std::string& outFile, const std::wstring& program)
{
    static int runs = 0;
    const std::string folder = fixtures::FreshTempFolder("quendrix-cli-run");
    const std::string out = outFile.empty() ? folder + "out" + std::to_string(++runs) : outFile;
    const std::string err = folder + "err" + std::to_string(runs);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle outHandle(
        ::CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    KernelHandle errHandle(
        ::CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    REQUIRE(outHandle);
    REQUIRE(errHandle);
    // Detached: a console of its own would come with a console host process that ends with it.
    testing::StartedProcess started(L"\"" + (program.empty() ? CliProgram() : program) + L"\" " + Wide(arguments),
                                    {outHandle.Get(), errHandle.Get(), DETACHED_PROCESS});
    outHandle.Close();
    errHandle.Close();
    const long code = started.Wait(60000);
    REQUIRE_MESSAGE(code != -1, "still running after 60 s, and ended: " << arguments);
    return {code, outFile.empty() ? testing::FileContent(out) : "", testing::FileContent(err), started.Id()};
}

Run CliAllRead(const std::string& arguments, const std::wstring& program)
{
    Run run = Cli(arguments, "", program);
    for (int attempt = 2; attempt <= 3 && run.exit == 3; ++attempt)
        run = Cli(arguments, "", program);
    return run;
}

// The rows of CSV output without its heading, split at commas outside quotes.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv)
{
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < csv.size(); ++i) {
        char c = csv[i];
        if (quoted && c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (!quoted && c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back();  // after the last line end
    rows.erase(rows.begin());
    return rows;
}

std::string CsvHeading(const std::string& csv)
{
    return csv.substr(0, csv.find("\r\n"));
}

std::set<DWORD> Column0(const std::string& csv)
{
    std::set<DWORD> ids;
    for (const auto& row : CsvRows(csv))
        ids.insert(static_cast<DWORD>(std::strtoul(row.at(0).c_str(), nullptr, 10)));
    return ids;
}

bool HasModule(DWORD id, const char* module)
{
    // The process-status functions, which also reach the modules of a process of the other
    // bitness; Wine's tool-help snapshots do not.
    using PfnEnumProcessModulesEx = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*, DWORD);
    using PfnGetModuleBaseNameA = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);
    PfnEnumProcessModulesEx enumModules = nullptr;
    PfnGetModuleBaseNameA baseName = nullptr;
    BindFromSystemLibrary("psapi.dll", EntryPoint{"EnumProcessModulesEx", enumModules},
                          EntryPoint{"GetModuleBaseNameA", baseName});
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    HMODULE modules[1024];
    DWORD needed = 0;
    bool has = false;
    if (process && enumModules && baseName && enumModules(process, modules, sizeof modules, &needed, 0x03)) {
        for (DWORD i = 0; i < std::min<DWORD>(needed, sizeof modules) / sizeof(HMODULE) && !has; ++i) {
            char name[MAX_PATH] = "";
            has = baseName(process, modules[i], name, MAX_PATH) && ::lstrcmpiA(name, module) == 0;
        }
    }
    if (process)
        ::CloseHandle(process);
    return has;
}

std::string Own()
{
    return std::to_string(::GetCurrentProcessId());
}

std::string OwnName()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DisplayNameOf(path).GetString();
}

std::string DialogSave(const std::string& file)
{
    testing::CTestViewerDlg dialog;
    testing::RunAsMainWindow(dialog, [&] {
        REQUIRE(testing::SelectEntryById(dialog.m_lstProcesses, ::GetCurrentProcessId()) >= 0);
        dialog.WriteModuleReport(file.c_str());
    });
    return testing::FileContent(file);
}

Reports DialogAndConsoleReports(const std::string& folder)
{
    Reports reports;
    std::string after;
    for (int attempt = 0; attempt < 3 && (attempt == 0 || reports.dialog != after); ++attempt) {
        reports.dialog = DialogSave(folder + "dialog.txt");
        reports.console = Cli("report " + Own());
        after = DialogSave(folder + "dialog.txt");
    }
    REQUIRE(reports.dialog == after);
    return reports;
}

}  // namespace clitest
