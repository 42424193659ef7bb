#include "cli/Output.h"

#include <algorithm>

#include "framework/Encoding.h"

namespace {

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string JsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                const char* hex = "0123456789abcdef";
                out += std::string("\\u00") + hex[c >> 4] + hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string RenderText(const std::vector<Column>& columns, const std::vector<Row>& rows)
{
    // Each column as wide as its widest value; numbers align right. The last column is not
    // padded.
    std::vector<size_t> widths;
    for (const Column& column : columns)
        widths.push_back(std::string(column.name).size());
    for (const Row& row : rows)
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], static_cast<size_t>(row[i].text.GetLength()));
    auto line = [&](const std::vector<std::string>& values) {
        std::string out;
        for (size_t i = 0; i < values.size(); ++i) {
            bool last = i + 1 == values.size();
            std::string pad(widths[i] - std::min(widths[i], values[i].size()), ' ');
            if (columns[i].number)
                out += pad + values[i];
            else
                out += values[i] + (last ? "" : pad);
            if (!last)
                out += "  ";
        }
        // An empty last value leaves no trailing blanks.
        out.erase(out.find_last_not_of(' ') + 1);
        return out + "\r\n";
    };
    std::vector<std::string> headings;
    for (const Column& column : columns)
        headings.push_back(column.name);
    std::string out = line(headings);
    for (const Row& row : rows) {
        std::vector<std::string> values;
        for (const Cell& cell : row)
            values.push_back(cell.text.GetString());
        out += line(values);
    }
    return out;
}

std::string RenderCsv(const std::vector<Column>& columns, const std::vector<Row>& rows)
{
    std::string out;
    for (size_t i = 0; i < columns.size(); ++i)
        out += (i ? "," : "") + CsvField(columns[i].name);
    out += "\r\n";
    for (const Row& row : rows) {
        for (size_t i = 0; i < row.size(); ++i)
            out += (i ? "," : "") + CsvField(AnsiToUtf8(row[i].text.GetString()));
        out += "\r\n";
    }
    return out;
}

std::string RenderJson(const std::vector<Column>& columns, const std::vector<Row>& rows)
{
    if (rows.empty())
        return "[]\r\n";
    std::string out = "[\r\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        out += "  {";
        for (size_t i = 0; i < rows[r].size(); ++i) {
            const Cell& cell = rows[r][i];
            out += (i ? ", " : "") + JsonString(columns[i].name) + ": ";
            if (!cell.present)
                out += "null";
            else if (columns[i].number)
                out += cell.text.GetString();
            else
                out += JsonString(AnsiToUtf8(cell.text.GetString()));
        }
        out += r + 1 < rows.size() ? "},\r\n" : "}\r\n";
    }
    return out + "]\r\n";
}

}  // namespace

std::string RenderTable(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format)
{
    switch (format) {
    case Format::Csv: return RenderCsv(columns, rows);
    case Format::Json: return RenderJson(columns, rows);
    default: return RenderText(columns, rows);
    }
}

std::string AnsiToUtf8(const std::string& text)
{
    return FromWide(ToWide(text), CP_UTF8);
}

std::string Decimal(DWORD value)
{
    return std::to_string(static_cast<unsigned long>(value));
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}
