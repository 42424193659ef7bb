// What the console program prints: tables as aligned text, CSV or JSON, written to a handle
// that may refuse (a closed pipe, a full disk).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/String.h"

enum class Format { Text, Csv, Json };

struct Column {
    const char* name;  // the heading, and the key in JSON
    bool number;       // written as a JSON number, not a string
};

// One value of a row. A value that does not exist (a module without a description) is null in
// JSON and empty elsewhere.
struct Cell {
    CString text;
    bool present = true;
};
using Row = std::vector<Cell>;

// The table in `format`: text as the ANSI functions give it, CSV and JSON in UTF-8. Every line
// ends in CR LF; CSV quotes as RFC 4180 asks.
std::string RenderTable(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format);

// Text in the system's ANSI code page as UTF-8.
std::string AnsiToUtf8(const std::string& text);

// A number as the listings and messages write it.
std::string Decimal(DWORD value);
// `text` in double quotes, as messages name files and processes.
std::string Quoted(const std::string& text);
