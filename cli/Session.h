// What a command works on: the platform's back end, made once at start-up, and the console that
// results and messages go to. Its functions call the engine and say on standard error what went
// wrong.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Console.h"
#include "cli/Output.h"
#include "enum/Backend.h"

class Session {
public:
    Session(Console& console, const Backend& backend) : m_console(console), m_backend(backend) {}

    const Backend& Engine() const { return m_backend; }
    Console& Out() { return m_console; }

    // Whether the back end is there; the message when not.
    bool Available();
    // Every process, ordered by id; false, with the message given, when the table cannot be read.
    bool Processes(std::vector<ProcessRecord>& processes);
    // The one process that `name` names; kExitDone, or the status to end with after the message.
    int Lookup(const std::wstring& name, ProcessRecord& found);
    // Every module of a process, its executable first on the NT family; kExitDone, or the status
    // to end with after the message.
    int Modules(const ProcessRecord& process, std::vector<ModuleEntry>& modules);
    // The process that `name` names and its module report: the bytes that the dialog's save
    // writes, and, where asked for, the modules that the report lists, in its order; kExitDone,
    // or the status to end with after the message.
    int Report(const std::wstring& name, ProcessRecord& process, std::string& report,
               std::vector<ModuleEntry>* listed = nullptr);

    // Says on standard error which processes could not be read, and why.
    void ReportUnread(const std::vector<UnreadProcess>& unread);

    // Writes a listing as the arguments ask; kExitRefused when the output refuses it.
    int Print(const std::vector<Column>& columns, const std::vector<Row>& rows, const Arguments& arguments);
    // The message for an output that refused what was written; kExitRefused.
    int OutputRefused();

private:
    // Says why the modules of `process` could not be read; kExitPartly.
    int Unread(const ProcessRecord& process, ModuleWalk walk);

    Console& m_console;
    const Backend& m_backend;
};

// How a process is named in messages: its id and its file name.
std::wstring Describe(const ProcessRecord& process);
