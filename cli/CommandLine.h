// The words of the program's command line in every character.
#pragma once

#include <string>
#include <vector>

// The words after the program's name. On the NT family they come from the wide command line,
// split as the C runtime splits it, so that a name in characters that the ANSI code page lacks
// arrives whole; elsewhere they are `argv`'s, which the ANSI code page holds anyway.
std::vector<std::wstring> CommandLineWords(int argc, char** argv);

// Splits a command line as the C runtime does: blanks separate words, double quotes group them,
// and backslashes escape a double quote only (2n backslashes and a quote give n backslashes;
// 2n + 1 give n and a literal quote). The first word, the program's name, ends at the first
// blank outside quotes and knows no escapes.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);
