// What a command works on: the platform's back end, bound once, the process named on the
// command line, and the console that results and messages go to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "cli/Console.h"
#include "cli/Output.h"
#include "cli/Processes.h"

class Session {
public:
    explicit Session(Console& console);

    const OSVERSIONINFOA& Version() const { return m_version; }
    Console& Out() { return m_console; }

    // Whether the back end is there; the message when not.
    bool Available();
    // Every process; false, with the message given, when the table cannot be read.
    bool Processes(std::vector<ProcessInfo>& processes);
    // The one process that `name` names; kExitDone, or the status to end with after the message.
    int Lookup(const std::string& name, ProcessInfo& found);
    // Reports a module walk that did not list; kExitDone when it did.
    int Walked(ModuleWalk walk, const ProcessInfo& process);
    // The process that `name` names, and its modules as the dialog's module list shows them;
    // kExitDone, or the status to end with after the message.
    int DialogModules(const std::string& name, ProcessInfo& process, std::vector<CString>& paths);

    // Writes a listing; kExitRefused when the output refuses it.
    int Print(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format);
    // The message for an output that refused what was written; kExitRefused.
    int OutputRefused();

private:
    Console& m_console;
    OSVERSIONINFOA m_version{};
    bool m_available = false;
};
