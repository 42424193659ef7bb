// The console program's two streams: results on standard output, messages on standard error,
// and the exit status that a command ends with.
#pragma once

#include <windows.h>

#include <string>

enum ExitStatus {
    kExitDone = 0,     // everything asked for was done; find: a process holds the module
    kExitPartly = 1,   // some of it failed: a file not copied, a process unread; find: no holder
    kExitRefused = 2,  // a usage error, an unknown or ambiguous process, an output not written,
                       // the program failing itself (out of memory)
    kExitUnsure = 3,   // find, stale, wait: no answer among what was read, but not everything
                       // could be read (some processes or modules, or the process table)
};

class Console {
public:
    Console();

    // Results as text, lines ended by CR LF, every other control or direction character shown
    // (paths/TextForms.h): in the console's own characters when standard output is a console,
    // in the ANSI code page without best fit when it is a file or a pipe. False when the output
    // refuses them.
    bool Text(const std::wstring& text);
    // Results as bytes in `codePage` (the report in the ANSI code page, CSV and JSON in UTF-8):
    // exactly to a file or a pipe; to a console as Text, so that no byte of a module's texts
    // reaches the console's own commands.
    bool Bytes(const std::string& bytes, UINT codePage);
    // Whether standard output is a console.
    bool ToConsole() const;
    // A message on standard error, one line after the program's name, whatever it quotes.
    void Error(const std::wstring& message);
    void Error(const std::string& ascii) { Error(std::wstring(ascii.begin(), ascii.end())); }
    // What the system says of an error code, in one line.
    static std::wstring Reason(DWORD error);

private:
    bool Write(HANDLE handle, const std::wstring& text);

    HANDLE m_out;
    HANDLE m_err;
};
