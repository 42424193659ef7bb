// The reports of a fleet: which files the inputs give, and the machine that each stands for.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "compare/ReportReader.h"

// One report to read.
struct FleetFile {
    std::wstring path;     // to open
    std::wstring shown;    // in messages: as given, or the whole path of a file found in a folder
    std::wstring machine;  // in the listings
};

// An input, or a file or folder of one, that gives no report.
enum class FleetProblemKind {
    Unreadable,  // the system refused to open, list or read it (`error` says why)
    NoReports,   // a folder without a single report file
    TooLarge,    // larger than any report can be
    NotReport,   // `fault` says which line and why
};

struct FleetProblem {
    std::wstring path;
    FleetProblemKind kind;
    DWORD error;
    ReportFault fault;
};

// Whether a file in an input folder is read as a report: its name ends in ".txt", in any case.
// The other files of a kit's folder (its modules, its CSV list) are no reports.
bool IsReportFileName(const std::wstring& name);

// The report files of `inputs`, in their order. An input that is a file is read whatever its
// name, and stands for the machine of its file name; one that is a folder is read for every
// report file in it and in its subfolders, each standing for the machine of its path below the
// folder ("eu\pc1.txt"). A kit's report, QuendrixKit.report.txt, stands for its kit's folder
// ("eu\pc1", or the folder's own name). A file reached twice is read once; machines that would
// be named alike (in any case) are named by their whole paths instead.
void ListFleetFiles(const std::vector<std::wstring>& inputs, std::vector<FleetFile>& files,
                    std::vector<FleetProblem>& problems);
