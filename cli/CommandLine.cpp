#include "cli/CommandLine.h"

#include <windows.h>

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "paths/WidePath.h"

std::vector<std::wstring> SplitCommandLine(const std::wstring& line)
{
    std::vector<std::wstring> words;
    size_t i = 0;
    auto blank = [&line](size_t at) { return line[at] == L' ' || line[at] == L'\t'; };
    // The program's name.
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(i))) {
        if (line[i] == L'"')
            quoted = !quoted;
        ++i;
    }
    for (;;) {
        while (i < line.size() && blank(i))
            ++i;
        if (i >= line.size())
            return words;
        std::wstring word;
        quoted = false;
        while (i < line.size() && (quoted || !blank(i))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == L'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == L'"') {
                word.append(backslashes / 2, L'\\');
                if (backslashes % 2)
                    word += L'"';
                else
                    quoted = !quoted;
                ++i;
            } else {
                word.append(backslashes, L'\\');
                if (i < line.size() && (quoted || !blank(i)))
                    word += line[i++];
            }
        }
        words.push_back(word);
    }
}

std::vector<std::wstring> CommandLineWords(int argc, char** argv)
{
    using PfnGetCommandLineW = LPWSTR(WINAPI*)();
    static PfnGetCommandLineW pfnGetCommandLineW = nullptr;
    if (SystemHasWidePaths() && BindFromLoadedModule("kernel32.dll", EntryPoint{"GetCommandLineW", pfnGetCommandLineW}))
        if (const wchar_t* line = pfnGetCommandLineW())
            return SplitCommandLine(line);
    std::vector<std::wstring> words;
    for (int i = 1; i < argc; ++i)
        words.push_back(ToWide(argv[i]));
    return words;
}
