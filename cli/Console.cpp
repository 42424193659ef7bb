#include "cli/Console.h"

#include "cli/Output.h"
#include "export/FileReplace.h"
#include "framework/Encoding.h"

namespace {

// Text in the ANSI code page as a console with code page `codePage` shows it.
std::string ForConsole(const std::string& ansi, UINT codePage)
{
    return codePage == ::GetACP() ? ansi : FromWide(ToWide(ansi), codePage);
}

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

}  // namespace

Console::Console() : m_out(::GetStdHandle(STD_OUTPUT_HANDLE)), m_err(::GetStdHandle(STD_ERROR_HANDLE)) {}

bool Console::Text(const std::string& ansi)
{
    return WriteAll(m_out, IsConsole(m_out) ? ForConsole(ansi, ::GetConsoleOutputCP()) : ansi);
}

bool Console::Bytes(const std::string& bytes)
{
    return WriteAll(m_out, bytes);
}

void Console::Error(const std::string& message)
{
    ErrorText("QuendrixCli: " + message + "\r\n");
}

void Console::ErrorText(const std::string& ansi)
{
    WriteAll(m_err, IsConsole(m_err) ? ForConsole(ansi, ::GetConsoleOutputCP()) : ansi);
}

std::string Console::Reason(DWORD error)
{
    // A refusal without a code must not read as "completed successfully".
    if (error == ERROR_SUCCESS)
        return "the system gave no reason";
    char text[512] = "";
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "error " + std::to_string(error) : reason;
}
