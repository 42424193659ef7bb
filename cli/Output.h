// What the console program prints: tables as aligned text, CSV or JSON, from cells of whole
// text (UTF-16), so that paths and descriptions come out in every character.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class Format { Text, Csv, Json };

struct Column {
    const char* name;  // the heading, and the key in JSON
    bool number;       // written as a JSON number, not a string
};

// One value of a row. A value that does not exist (a module without a description) is null in
// JSON and empty elsewhere.
struct Cell {
    std::wstring text;
    bool present = true;
};
using Row = std::vector<Cell>;

// A cell that holds nothing.
inline Cell Missing()
{
    return Cell{std::wstring(), false};
}

// The table in `format`, every line ended with CR LF; `heading` says whether text and CSV begin
// with the names of the columns. Each value in the form of paths/TextForms.h: CSV cells (a
// formula's start neutralised), exact JSON, text as shown (a control character as "<U+XXXX>").
// Text pads each column to its widest value up to a limit, numbers to the right; a longer value
// pushes the rest of its row along.
std::wstring RenderTable(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format,
                         bool heading = true);

// A number as the listings and messages write it.
std::wstring Decimal(DWORD value);
// Items as a message lists them: separated by ", ".
std::wstring Listed(const std::vector<std::wstring>& items);
