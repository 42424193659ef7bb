#include "cli/Output.h"

#include <algorithm>

#include "framework/Encoding.h"
#include "paths/TextForms.h"

namespace {

// How wide a text column grows for the sake of alignment: a side-by-side path from the
// system's store of assemblies must not pad every other line of a listing to its length.
const size_t kWidestPadding = 48;

std::wstring Heading(const char* name)
{
    return ToWide(name);
}

std::wstring RenderText(const std::vector<Column>& columns, const std::vector<Row>& rows, bool heading)
{
    std::vector<std::vector<std::wstring>> lines;
    if (heading) {
        lines.emplace_back();
        for (const Column& column : columns)
            lines.back().push_back(Heading(column.name));
    }
    for (const Row& row : rows) {
        lines.emplace_back();
        for (const Cell& cell : row)
            lines.back().push_back(ShownText(cell.text));
    }
    std::vector<size_t> widths(columns.size(), 0);
    for (const auto& line : lines)
        for (size_t i = 0; i < line.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], std::min(line[i].size(), kWidestPadding));
    std::wstring out;
    for (const auto& line : lines) {
        std::wstring text;
        for (size_t i = 0; i < line.size(); ++i) {
            bool last = i + 1 == line.size();
            std::wstring pad(widths[i] - std::min(widths[i], line[i].size()), L' ');
            text += columns[i].number ? pad + line[i] : line[i] + (last ? L"" : pad);
            if (!last)
                text += L"  ";
        }
        // An empty last value leaves no trailing blanks.
        text.erase(text.find_last_not_of(L' ') + 1);
        out += text + L"\r\n";
    }
    return out;
}

std::wstring RenderCsv(const std::vector<Column>& columns, const std::vector<Row>& rows, bool heading)
{
    std::wstring out;
    if (heading) {
        for (size_t i = 0; i < columns.size(); ++i)
            out += (i ? L"," : L"") + CsvCell(Heading(columns[i].name));
        out += L"\r\n";
    }
    for (const Row& row : rows) {
        for (size_t i = 0; i < row.size(); ++i)
            out += (i ? L"," : L"") + CsvCell(row[i].text);
        out += L"\r\n";
    }
    return out;
}

std::wstring RenderJson(const std::vector<Column>& columns, const std::vector<Row>& rows)
{
    if (rows.empty())
        return L"[]\r\n";
    std::wstring out = L"[\r\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        out += L"  {";
        for (size_t i = 0; i < rows[r].size(); ++i) {
            const Cell& cell = rows[r][i];
            out += (i ? L", " : L"") + JsonText(Heading(columns[i].name)) + L": ";
            if (!cell.present)
                out += L"null";
            else if (columns[i].number)
                out += cell.text;
            else
                out += JsonText(cell.text);
        }
        out += r + 1 < rows.size() ? L"},\r\n" : L"}\r\n";
    }
    return out + L"]\r\n";
}

}  // namespace

std::wstring RenderTable(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format, bool heading)
{
    switch (format) {
    case Format::Csv: return RenderCsv(columns, rows, heading);
    case Format::Json: return RenderJson(columns, rows);
    default: return RenderText(columns, rows, heading);
    }
}

std::wstring Decimal(DWORD value)
{
    return ToWide(std::to_string(static_cast<unsigned long>(value)));
}

std::wstring Listed(const std::vector<std::wstring>& items)
{
    std::wstring list;
    for (size_t i = 0; i < items.size(); ++i)
        list += (i ? L", " : L"") + items[i];
    return list;
}
