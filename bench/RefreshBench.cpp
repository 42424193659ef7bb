// Times a full refresh of the real main dialog with many processes running, against a bare loop
// that makes the same system calls without any list.
#include <cstdio>
#include <cstring>

#include "app/ViewerDlg.h"
#include "bench/BenchSupport.h"
#include "enum/EnumApi.h"
#include "paths/DisplayName.h"

namespace {

const int kRuns = 7;

class CBenchDlg : public CViewerDlg {
public:
    using CViewerDlg::RefreshLists;
};

// The process-status calls of a refresh: name every process, then list the modules of the
// process whose name sorts first.
void BaselineRefresh()
{
    DWORD ids[1024], bytes = 0;
    pfnEnumProcesses(ids, sizeof ids, &bytes);
    CString first;
    DWORD firstId = 0;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        char path[MAX_PATH] = "unknown";
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (process) {
            HMODULE module;
            DWORD needed;
            if (pfnEnumProcessModules(process, &module, sizeof module, &needed))
                pfnGetModuleFileNameExA(process, module, path, MAX_PATH);
            ::CloseHandle(process);
        }
        CString name = DisplayNameOf(path);
        if (i == 0 || lstrcmpiA(name, first) < 0) {
            first = name;
            firstId = ids[i];
        }
    }
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, firstId);
    if (process) {
        HMODULE modules[1024];
        DWORD needed = 0;
        if (pfnEnumProcessModules(process, modules, sizeof modules, &needed))
            for (DWORD i = 1; i < std::min<DWORD>(needed, sizeof modules) / sizeof(HMODULE); ++i) {
                char path[MAX_PATH];
                pfnGetModuleFileNameExA(process, modules[i], path, MAX_PATH);
            }
        ::CloseHandle(process);
    }
}

struct Figures {
    double program, baseline;
};

CBenchDlg* g_dialog;
Figures g_figures;

void CALLBACK Measure(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(nullptr, timer);
    std::vector<double> program, baseline;
    // Program and baseline go first by turns: the second of two walks meets the system's state
    // that the first left warm.
    for (int run = 0; run < 2 * kRuns; ++run) {
        const bool programFirst = run % 2 == 0;
        for (int turn = 0; turn < 2; ++turn) {
            const double start = bench::NowMs();
            if ((turn == 0) == programFirst) {
                g_dialog->RefreshLists();
                program.push_back(bench::NowMs() - start);
            } else {
                BaselineRefresh();
                baseline.push_back(bench::NowMs() - start);
            }
        }
    }
    g_figures = {bench::Median(program), bench::Median(baseline)};
    g_dialog->EndDialog(IDOK);
}

Figures MeasureRefresh()
{
    CBenchDlg dialog;
    g_dialog = &dialog;
    ::SetTimer(nullptr, 0, 10, &Measure);
    dialog.DoModal();
    return g_figures;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    bench::Sleepers sleepers;
    std::printf("%10s %10s %12s %12s %7s\n", "extra", "processes", "program ms", "baseline ms", "ratio");
    double programAt100 = 0, baselineAt100 = 0;
    for (int target : {25, 50, 100, 200}) {
        sleepers.GrowTo(target);
        Figures f = MeasureRefresh();
        DWORD ids[1024], bytes = 0;
        pfnEnumProcesses(ids, sizeof ids, &bytes);
        std::printf("%10d %10lu %12.1f %12.1f %7.2f\n", target, bytes / 4, f.program, f.baseline,
                    f.program / f.baseline);
        if (target == 100) {
            programAt100 = f.program;
            baselineAt100 = f.baseline;
        }
    }
    std::printf("refresh: program %.1f ms, baseline %.1f ms, ratio %.2f\n", programAt100, baselineAt100,
                programAt100 / baselineAt100);
    return 0;
}
