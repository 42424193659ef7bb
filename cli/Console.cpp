#include "cli/Console.h"

#include "export/FileReplace.h"
#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "paths/TextForms.h"
#include "paths/WidePath.h"

namespace {

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

// WriteConsoleW, which only the NT family has: it shows every character the console's font has.
using PfnWriteConsoleW = BOOL(WINAPI*)(HANDLE console, const void* text, DWORD length, LPDWORD written, LPVOID);

bool WriteConsoleWide(HANDLE console, const std::wstring& text)
{
    static PfnWriteConsoleW pfnWriteConsoleW = nullptr;
    if (!SystemHasWidePaths() || !BindFromLoadedModule("kernel32.dll", EntryPoint{"WriteConsoleW", pfnWriteConsoleW}))
        return WriteAll(console, InCodePage(text, ::GetConsoleOutputCP()));
    size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0, chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 8192));
        if (!pfnWriteConsoleW(console, text.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

Console::Console() : m_out(::GetStdHandle(STD_OUTPUT_HANDLE)), m_err(::GetStdHandle(STD_ERROR_HANDLE)) {}

bool Console::Write(HANDLE handle, const std::wstring& text)
{
    return IsConsole(handle) ? WriteConsoleWide(handle, text) : WriteAll(handle, InCodePage(text));
}

bool Console::Text(const std::wstring& text)
{
    return Write(m_out, ShownLines(text));
}

bool Console::Bytes(const std::string& bytes, UINT codePage)
{
    return ToConsole() ? Text(ToWide(bytes, codePage)) : WriteAll(m_out, bytes);
}

bool Console::ToConsole() const
{
    return IsConsole(m_out);
}

void Console::Error(const std::wstring& message)
{
    // A usage error quotes what was typed: it stays one line.
    Write(m_err, L"QuendrixCli: " + ShownText(message) + L"\r\n");
}

std::wstring Console::Reason(DWORD error)
{
    // A refusal without a code must not read as "completed successfully".
    if (error == ERROR_SUCCESS)
        return L"the system gave no reason";
    char text[512] = "";
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? L"error " + ToWide(std::to_string(error)) : ToWide(reason);
}
