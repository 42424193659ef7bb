#include "compare/VersionStatement.h"

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

}  // namespace

VersionStatement SplitStatement(std::string_view text)
{
    VersionStatement statement;
    size_t at = text.find(kSeparator);
    if (at == std::string_view::npos) {
        statement.version = text;
        return statement;
    }
    if (IsBareNumber(text.substr(0, at))) {
        // A version of numbers: the parts that follow it belong to it while they are numbers.
        for (int numbers = 1; at != std::string_view::npos; ++numbers) {
            size_t next = text.find(kSeparator, at + kSeparator.size());
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
