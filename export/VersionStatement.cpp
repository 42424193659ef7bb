#include "export/VersionStatement.h"

#include <algorithm>

#include "export/ByteScan.h"

namespace {

const std::string_view kSeparator = ", ";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBareNumber(std::string_view part)
{
    if (part.empty())
        return false;
    for (char c : part)
        if (!IsDigit(c))
            return false;
    return true;
}

// Where the first ", " of `text` from `from` on begins; npos when there is none.
size_t FindSeparator(std::string_view text, size_t from)
{
    const char* const end = text.data() + text.size();
    for (const char* at = text.data() + std::min(from, text.size());; ++at) {
        at = FindByte(at, end, kSeparator[0]);
        if (end - at < 2)
            return std::string_view::npos;
        if (at[1] == kSeparator[1])
            return static_cast<size_t>(at - text.data());
    }
}

}  // namespace

VersionStatement SplitStatement(std::string_view text)
{
    VersionStatement statement;
    size_t at = FindSeparator(text, 0);
    if (at == std::string_view::npos) {
        statement.version = text;
        return statement;
    }
    if (IsBareNumber(text.substr(0, at))) {
        // A version of numbers: the parts that follow it belong to it while they are numbers.
        for (int numbers = 1; at != std::string_view::npos; ++numbers) {
            size_t next = FindSeparator(text, at + kSeparator.size());
            std::string_view part = text.substr(at + kSeparator.size(), next == std::string_view::npos
                                                                            ? std::string_view::npos
                                                                            : next - at - kSeparator.size());
            if (part.empty() || !IsDigit(part.front()))
                break;
            if (numbers == 4 || !IsBareNumber(part)) {
                statement.split = false;
                statement.version = text;
                return statement;
            }
            at = next;
        }
        if (at == std::string_view::npos) {
            statement.version = text;
            return statement;
        }
    }
    statement.version = text.substr(0, at);
    statement.hasDescription = true;
    statement.description = text.substr(at + kSeparator.size());
    return statement;
}
