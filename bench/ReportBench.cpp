// The time to write the module report of a process with many modules: the main dialog's report
// writer against a baseline that makes the same version-resource and header calls in a plain
// loop. 200 copies of a fixture module (a description, no product version, so that every
// module needs its header too) are loaded into this process first.
//
// Usage: bench_report [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/ViewerDlg.h"
#include "support/TestSupport.h"

namespace {

const int kCopies = 200;

class CBenchViewerDlg : public CViewerDlg {
public:
    using CViewerDlg::m_lstModules;
    using CViewerDlg::m_lstProcesses;
    using CViewerDlg::WriteModuleReport;
};

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        ::QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Copies the fixture module under kCopies names into `folder` and loads every copy, noting each
// in `loaded`.
bool LoadCopies(const std::string& folder, std::vector<HMODULE>& loaded)
{
    std::string source = testing::ExeDirectory() + "..\\fixtures\\fx_desc.dll";
    for (int i = 0; i < kCopies; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "bench_%03d.dll", i);
        std::string copy = folder + name;
        HMODULE module = ::CopyFileA(source.c_str(), copy.c_str(), FALSE) ? ::LoadLibraryA(copy.c_str()) : nullptr;
        if (!module) {
            std::fprintf(stderr, "cannot copy and load %s\n", copy.c_str());
            return false;
        }
        loaded.push_back(module);
    }
    return true;
}

// Whether the program measured reads the 240-byte optional header of 64-bit images as well: the
// 64-bit program does, the 32-bit one keeps to the 224-byte header and states 0.00 for them.
const bool kReadsWideHeaders = sizeof(void*) == 8;

template <class Header> void VersionOf(const BYTE* header, char* text)
{
    const auto* optional = reinterpret_cast<const Header*>(header);
    std::sprintf(text, "%d.%02d", optional->MajorImageVersion, optional->MinorImageVersion);
}

// The image version from the file's optional header, read through a mapping: "unknown" when the
// file holds no header or the header its size names runs past the file's end, 0.00 for a header
// of a size the program does not read.
void HeaderVersion(const char* path, char* text)
{
    std::strcpy(text, "unknown");
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD size = ::GetFileSize(file, nullptr);
    HANDLE mapping = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (const BYTE* view = mapping ? static_cast<const BYTE*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr) {
        LONG nt = size >= 64 ? *reinterpret_cast<const LONG*>(view + 0x3C) : -1;
        if (view[0] == 'M' && view[1] == 'Z' && nt >= 0 && static_cast<DWORD>(nt) + 0x18 <= size) {
            const WORD optionalSize = *reinterpret_cast<const WORD*>(view + nt + 0x14);
            const BYTE* header = view + nt + 0x18;
            const bool fits = static_cast<DWORD>(nt) + 0x18 + optionalSize <= size;
            if (optionalSize == sizeof(IMAGE_OPTIONAL_HEADER32)) {
                if (fits)
                    VersionOf<IMAGE_OPTIONAL_HEADER32>(header, text);
            } else if (kReadsWideHeaders && optionalSize == sizeof(IMAGE_OPTIONAL_HEADER64)) {
                if (fits && reinterpret_cast<const IMAGE_OPTIONAL_HEADER64*>(header)->Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
                    VersionOf<IMAGE_OPTIONAL_HEADER64>(header, text);
                else if (fits)
                    std::strcpy(text, "0.00");
            } else {
                std::strcpy(text, "0.00");
            }
        }
        ::UnmapViewOfFile(view);
    }
    if (mapping)
        ::CloseHandle(mapping);
    ::CloseHandle(file);
}

// The same report, written by a plain loop with the same calls.
void BaselineReport(const char* processName, const std::vector<std::string>& paths, const char* fileName)
{
    FILE* out = std::fopen(fileName, "w");
    if (!out)
        return;
    std::fprintf(out, "Module zum Prozess: %s\n\n", processName);
    for (const std::string& path : paths) {
        DWORD unused = 0;
        DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &unused);
        void* block = size ? std::malloc(size) : nullptr;
        char version[256] = "";
        const char* description = nullptr;
        bool hasVersion = false;
        if (block && ::GetFileVersionInfoA(path.c_str(), 0, size, block)) {
            char key[16] = "040904b0", subBlock[64];
            WORD* translation = nullptr;
            UINT length = 0;
            if (::VerQueryValueA(block, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
                length >= 4)
                std::sprintf(key, "%04x%04x", translation[0], translation[1]);
            char* value = nullptr;
            std::sprintf(subBlock, "\\StringFileInfo\\%s\\ProductVersion", key);
            if (::VerQueryValueA(block, subBlock, reinterpret_cast<void**>(&value), &length) && value) {
                std::snprintf(version, sizeof version, "%s", value);
                hasVersion = true;
            }
            std::sprintf(subBlock, "\\StringFileInfo\\%s\\FileDescription", key);
            if (::VerQueryValueA(block, subBlock, reinterpret_cast<void**>(&value), &length) && value)
                description = value;
        }
        if (!hasVersion)
            HeaderVersion(path.c_str(), version);
        if (description)
            std::fprintf(out, "%s\t(V%s, %s)\n", path.c_str(), version, description);
        else
            std::fprintf(out, "%s\t(V%s)\n", path.c_str(), version);
        std::free(block);
    }
    std::fclose(out);
}

std::string Contents(const std::string& path)
{
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            bytes.append(buffer, n);
        std::fclose(in);
    }
    return bytes;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    // Removed when the process ends, once the copies are freed.
    const std::string folder = testing::FreshFolder("quendrix-bench") + "\\";
    std::vector<HMODULE> loaded;
    struct Free {
        std::vector<HMODULE>& modules;
        ~Free()
        {
            for (HMODULE module : modules)
                ::FreeLibrary(module);
        }
    } freed{loaded};
    if (!LoadCopies(folder, loaded))
        return 1;

    int status = 1;  // until the report has been timed
    CBenchViewerDlg dialog;
    testing::RunModal(dialog, [&] {
        // This very process, as a user would select it.
        CPathListBox& processes = dialog.m_lstProcesses;
        testing::SelectEntryById(processes, ::GetCurrentProcessId());
        CString processName;
        processes.GetText(processes.GetCurSel(), processName);
        std::vector<std::string> paths;
        for (int i = 0; i < dialog.m_lstModules.GetCount(); ++i) {
            CString path;
            dialog.m_lstModules.GetItemText(i, path);
            paths.push_back(path.GetString());
        }
        if (paths.size() < static_cast<size_t>(kCopies)) {
            std::fprintf(stderr, "only %u modules listed\n", static_cast<unsigned>(paths.size()));
            return;
        }

        const std::string programFile = folder + "program.txt", baselineFile = folder + "baseline.txt";
        dialog.WriteModuleReport(programFile.c_str());  // warm-up: the files are in the cache after this
        BaselineReport(processName, paths, baselineFile.c_str());
        bool same = Contents(programFile) == Contents(baselineFile);

        std::printf("%u modules (%d copies of one fixture module), %d runs\n\n",
                    static_cast<unsigned>(paths.size()), kCopies, runs);
        std::printf("%5s %12s %12s\n", "run", "program ms", "baseline ms");
        std::vector<double> program, baseline;
        // The two take turns going first, so that neither profits from the other's caching.
        auto timed = [](auto&& write) {
            double start = Now();
            write();
            return Now() - start;
        };
        auto writeProgram = [&] { dialog.WriteModuleReport(programFile.c_str()); };
        auto writeBaseline = [&] { BaselineReport(processName, paths, baselineFile.c_str()); };
        for (int run = 1; run <= runs; ++run) {
            if (run % 2) {
                program.push_back(timed(writeProgram));
                baseline.push_back(timed(writeBaseline));
            } else {
                baseline.push_back(timed(writeBaseline));
                program.push_back(timed(writeProgram));
            }
            std::printf("%5d %12.1f %12.1f\n", run, program.back(), baseline.back());
        }
        double p = Median(program), b = Median(baseline);
        std::printf("\nreports identical: %s\n", same ? "yes" : "NO");
        // Times of two programs that do different work compare nothing.
        if (!same) {
            std::fprintf(stderr, "the program's report and the baseline's differ: no ratio\n");
            status = 2;
            return;
        }
        std::printf("report: program %.1f ms, baseline %.1f ms, ratio %.2f\n", p, b, p / b);
        status = 0;
    });
    if (status == 1)
        std::fprintf(stderr, "the report was not timed\n");
    return status;
}
