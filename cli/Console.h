// The console program's two streams: results on standard output, messages on standard error,
// and the exit status that a command ends with.
#pragma once

#include <windows.h>

#include <string>

enum ExitStatus {
    kExitDone = 0,     // everything asked for was done
    kExitPartly = 1,   // some of it failed: a file not copied, a process that ended
    kExitRefused = 2,  // a usage error, an unknown or ambiguous process, an output not written
};

class Console {
public:
    Console();

    // Results in the ANSI code page, shown in the console's own code page when standard output
    // is a console. False when the output refuses them.
    bool Text(const std::string& ansi);
    // Results as bytes, exactly (the report, CSV, JSON).
    bool Bytes(const std::string& bytes);
    // A message on standard error, after the program's name.
    void Error(const std::string& message);
    // Text on standard error as it stands (the usage after a usage error).
    void ErrorText(const std::string& ansi);
    // What the system says of an error code, in one line.
    static std::string Reason(DWORD error);

private:
    HANDLE m_out;
    HANDLE m_err;
};
