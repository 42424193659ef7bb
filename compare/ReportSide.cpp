#include "compare/ReportSide.h"

#include "paths/WidePath.h"

bool ReadSideFile(const std::wstring& operand, ParsedReport& report, ReportFile& read, ReportFault& fault,
                  DWORD& error)
{
    const DWORD attributes = AttributesOf(operand);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    read = ReadReportFile(operand, report, fault, error);
    // A program's file names its process.
    return read != ReportFile::NotReport || report.bytes.compare(0, 2, "MZ") != 0;
}
