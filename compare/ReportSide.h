// One side of a comparison of module lists, as a user names it: a report file, or else a running
// process, whose report the caller makes.
#pragma once

#include <windows.h>

#include <string>

#include "compare/ReportReader.h"

// Reads `operand` as a report file, as ReadReportFile does, where it names one. False, with
// nothing read, where it names a process instead: no file of that name, a folder, or a program's
// file (its first bytes "MZ").
bool ReadSideFile(const std::wstring& operand, ParsedReport& report, ReportFile& read, ReportFault& fault,
                  DWORD& error);
