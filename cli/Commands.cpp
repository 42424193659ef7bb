#include "cli/Commands.h"

#include <vector>

#include "cli/ModuleSearch.h"
#include "cli/Processes.h"
#include "controls/DisplayName.h"
#include "export/ModuleCopy.h"
#include "export/ModuleReport.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace {

CString Decimal(DWORD value)
{
    CString text;
    text.Format("%lu", static_cast<unsigned long>(value));
    return text;
}

std::string Quoted(const char* text)
{
    return std::string("\"") + text + "\"";
}

// What a command works on: the platform's back end, and the process named on the command line.
class Session {
public:
    Session(Console& console) : m_console(console)
    {
        BindEnumBackend(m_version);
        m_available = EnumBackendAvailable(m_version);
    }

    const OSVERSIONINFOA& Version() const { return m_version; }

    // Whether the back end is there; the message when not.
    bool Available()
    {
        if (!m_available)
            m_console.Error("cannot list processes: this system offers no process listing");
        return m_available;
    }

    // Every process; false, with the message given, when the table cannot be read.
    bool Processes(std::vector<ProcessInfo>& processes)
    {
        if (!Available())
            return false;
        if (ListProcesses(m_version, processes))
            return true;
        m_console.Error("cannot read the process table");
        return false;
    }

    // The one process that `name` names; kExitDone, or the status to end with after the message.
    int Lookup(const std::string& name, ProcessInfo& found)
    {
        std::vector<ProcessInfo> processes;
        if (!Processes(processes))
            return kExitPartly;
        std::vector<ProcessInfo> matches = MatchProcesses(processes, name);
        if (matches.empty()) {
            m_console.Error(IsProcessId(name) ? "no process has the id " + name
                                              : "no process is named " + Quoted(name.c_str()));
            return kExitRefused;
        }
        if (matches.size() > 1) {
            std::string ids;
            for (const ProcessInfo& match : matches)
                ids += (ids.empty() ? "" : ", ") + std::string(Decimal(match.id));
            m_console.Error(std::to_string(matches.size()) + " processes are named " + Quoted(name.c_str()) + ": " +
                            ids + "; name one by its id");
            return kExitRefused;
        }
        found = matches.front();
        return kExitDone;
    }

    // Reports a module walk that did not list; kExitDone when it did.
    int Walked(ModuleWalk walk, const ProcessInfo& process)
    {
        if (walk == ModuleWalk::Listed)
            return kExitDone;
        m_console.Error("cannot read the modules of process " + std::string(Decimal(process.id)) + " (" +
                        DisplayNameOf(process.path).GetString() + "): " +
                        (walk == ModuleWalk::NotOpened ? "it has ended, or access is refused"
                                                       : "its module list cannot be read"));
        return kExitPartly;
    }

    // The process that `name` names, and its modules as the dialog's module list shows them;
    // kExitDone, or the status to end with after the message.
    int DialogModules(const std::string& name, ProcessInfo& process, std::vector<CString>& paths)
    {
        if (int status = Lookup(name, process))
            return status;
        return Walked(ListDialogModules(m_version, process.id, paths), process);
    }

    // Writes a listing; kExitRefused when the output refuses it.
    int Print(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format)
    {
        std::string table = RenderTable(columns, rows, format);
        bool written = format == Format::Text ? m_console.Text(table) : m_console.Bytes(table);
        return written ? kExitDone : OutputRefused();
    }

    int OutputRefused()
    {
        m_console.Error("cannot write the output: " + Console::Reason(::GetLastError()));
        return kExitRefused;
    }

    Console& Out() { return m_console; }

private:
    Console& m_console;
    OSVERSIONINFOA m_version{};
    bool m_available = false;
};

int Processes(const Arguments& arguments, Session& session)
{
    std::vector<ProcessInfo> processes;
    if (!session.Processes(processes))
        return kExitPartly;
    std::vector<Row> rows;
    for (const ProcessInfo& process : processes)
        rows.push_back({{Decimal(process.id)}, {DisplayNameOf(process.path)}, {process.path}});
    return session.Print({{"id", true}, {"name", false}, {"path", false}}, rows, arguments.format);
}

int Modules(const Arguments& arguments, Session& session)
{
    ProcessInfo process;
    if (int status = session.Lookup(arguments.operands[0], process))
        return status;
    std::vector<CString> paths;
    if (int status = session.Walked(ListModules(session.Version(), process.id, paths), process))
        return status;
    std::vector<Row> rows;
    for (const CString& path : paths) {
        ModuleVersion module = ReadModuleVersion(path);
        rows.push_back({{path}, {module.version}, {module.description, module.hasDescription}});
    }
    return session.Print({{"path", false}, {"version", false}, {"description", false}}, rows, arguments.format);
}

// Writes `bytes` into `file` without ever leaving it half written or changing a file that was
// there: into a new file beside it first, which then takes its place. An existing file is
// replaced only when `replace` is set.
bool WriteNewFile(const std::string& file, const std::string& bytes, bool replace, std::string& error);

int Report(const Arguments& arguments, Session& session)
{
    if (arguments.hasOutput) {
        // Refused before anything is read: the process table takes a while.
        if (arguments.output.size() >= MAX_PATH) {
            session.Out().Error("the file name has 260 characters or more: " + arguments.output.substr(0, 40) + "...");
            return kExitRefused;
        }
        if (!arguments.force && ::GetFileAttributesA(arguments.output.c_str()) != INVALID_FILE_ATTRIBUTES) {
            session.Out().Error(Quoted(arguments.output.c_str()) + " exists; --force replaces it");
            return kExitRefused;
        }
    }
    ProcessInfo process;
    std::vector<CString> paths;
    if (int status = session.DialogModules(arguments.operands[0], process, paths))
        return status;
    std::string report = ReportHeader(DisplayNameOf(process.path)).GetString();
    for (const CString& path : paths)
        report += ComposeModuleLine(path).GetString();
    report = WithCrLf(report);

    if (!arguments.hasOutput)
        return session.Out().Bytes(report) ? kExitDone : session.OutputRefused();
    std::string error;
    if (!WriteNewFile(arguments.output, report, arguments.force, error)) {
        session.Out().Error("cannot write " + Quoted(arguments.output.c_str()) + ": " + error);
        return kExitRefused;
    }
    return kExitDone;
}

// A new, empty file of a name no file has in `folder` (or the current folder when empty); its
// path in `path`. Not GetTempFileName: some systems answer it with a name they could not create.
KernelHandle CreateUniqueFile(const std::string& folder, std::string& path)
{
    std::string prefix = folder.empty() ? std::string(".\\") : folder;
    // A drive's current folder ("C:") takes no separator.
    if (prefix.back() != '\\' && prefix.back() != '/' && prefix.back() != ':')
        prefix += '\\';
    DWORD start = ::GetTickCount();
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        CString name;
        name.Format("%s~qdx%lx.tmp", prefix.c_str(), static_cast<unsigned long>((start + attempt) & 0xFFFFF));
        path = name.GetString();
        KernelHandle handle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
        if (handle || ::GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    return KernelHandle();
}

// Whether files can be created in `folder`; the reason when not.
bool CanWriteInto(const std::string& folder, std::string& reason)
{
    if (folder.size() >= MAX_PATH - 14) {
        reason = "its path is too long";
        return false;
    }
    DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = attributes == INVALID_FILE_ATTRIBUTES ? "there is no such folder" : "it is a file, not a folder";
        return false;
    }
    // A file of our own, created and removed again, is the one sure test.
    std::string probe;
    KernelHandle handle = CreateUniqueFile(folder, probe);
    if (!handle) {
        reason = Console::Reason(::GetLastError());
        return false;
    }
    handle.Close();
    ::DeleteFileA(probe.c_str());
    return true;
}

int Copy(const Arguments& arguments, Session& session)
{
    const std::string& folder = arguments.operands[1];
    std::string reason;
    if (!CanWriteInto(folder, reason)) {
        session.Out().Error("cannot copy into " + Quoted(folder.c_str()) + ": " + reason);
        return kExitRefused;
    }
    ProcessInfo process;
    std::vector<CString> paths;
    if (int status = session.DialogModules(arguments.operands[0], process, paths))
        return status;

    std::string lines;
    int failures = 0;
    for (const CString& path : paths) {
        CopyOutcome outcome = CopyModuleFile(path, folder.c_str());
        if (outcome.status == CopyStatus::Copied)
            continue;
        ++failures;
        lines += std::string(path) + ": " +
                 (outcome.status == CopyStatus::AlreadyThere ? "a file of that name is already in the folder"
                  : outcome.status == CopyStatus::TooLong    ? "the copy's path would have 260 characters or more"
                                                             : Console::Reason(outcome.error)) +
                 "\n";
    }
    lines += std::string(CopyResultMessage(failures, DisplayNameOf(process.path), folder.c_str())) + "\n";
    if (!session.Out().Text(WithCrLf(lines)))
        return session.OutputRefused();
    return failures ? kExitPartly : kExitDone;
}

int Find(const Arguments& arguments, Session& session)
{
    if (!session.Available())
        return kExitPartly;
    ModuleSearch search;
    if (!FindModule(session.Version(), arguments.operands[0], search)) {
        session.Out().Error("cannot read the process table");
        return kExitPartly;
    }
    std::vector<Row> rows;
    for (const ModuleHit& hit : search.hits)
        rows.push_back({{Decimal(hit.processId)}, {DisplayNameOf(hit.processPath)}, {hit.modulePath}, {hit.version}});
    int status = session.Print({{"id", true}, {"process", false}, {"path", false}, {"version", false}}, rows,
                               arguments.format);
    if (search.unreadable > 0)
        session.Out().Error("note: the modules of " + std::to_string(search.unreadable) +
                            " processes could not be read (they ended, or access is refused)");
    return status;
}

// Puts the file `source` in the place of `target`; a file at `target` is replaced only when
// `replace` is set. MoveFileEx, which replaces in one step, is missing on the Windows 95 family:
// there the old file steps aside first, and comes back when the new one cannot take its place.
bool ReplaceFileWith(const char* target, const char* source, bool replace)
{
    if (!replace || ::GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return ::MoveFileA(source, target) != FALSE;
    using PfnMoveFileExA = BOOL(WINAPI*)(LPCSTR from, LPCSTR to, DWORD flags);
    PfnMoveFileExA pfnMoveFileExA = nullptr;
    BindEntryPoint(::GetModuleHandleA("kernel32.dll"), "MoveFileExA", pfnMoveFileExA);
    if (pfnMoveFileExA && pfnMoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING))
        return true;
    if (pfnMoveFileExA && ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    // A free name beside the target, to step aside to.
    std::string aside;
    {
        KernelHandle reserved = CreateUniqueFile(std::string(target, static_cast<size_t>(FolderLength(target))), aside);
        if (!reserved)
            return false;
    }
    if (!::DeleteFileA(aside.c_str()) || !::MoveFileA(target, aside.c_str()))
        return false;
    if (::MoveFileA(source, target)) {
        ::DeleteFileA(aside.c_str());
        return true;
    }
    DWORD error = ::GetLastError();
    ::MoveFileA(aside.c_str(), target);
    ::SetLastError(error);
    return false;
}

bool WriteNewFile(const std::string& file, const std::string& bytes, bool replace, std::string& error)
{
    // The new file goes into the same folder, so that it can take the other's place.
    std::string temporary;
    KernelHandle handle = CreateUniqueFile(file.substr(0, static_cast<size_t>(FolderLength(file.c_str()))), temporary);
    if (!handle) {
        error = Console::Reason(::GetLastError());
        return false;
    }
    bool written = WriteAll(handle.Get(), bytes) && handle.Close() &&
                   ReplaceFileWith(file.c_str(), temporary.c_str(), replace);
    if (!written) {
        error = Console::Reason(::GetLastError());
        handle.Close();
        ::DeleteFileA(temporary.c_str());
    }
    return written;
}

}  // namespace

int RunCommand(const Arguments& arguments, Console& console)
{
    Session session(console);
    struct Entry {
        const char* name;
        int (*run)(const Arguments&, Session&);
    } commands[] = {
        {"processes", Processes}, {"modules", Modules}, {"report", Report}, {"copy", Copy}, {"find", Find},
    };
    for (const Entry& command : commands)
        if (arguments.command == command.name)
            return command.run(arguments, session);
    return kExitRefused;
}
