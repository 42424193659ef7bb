#include "support/RunningProgram.h"

#include <doctest/doctest.h>

#include "res/resource.h"

namespace testing {

namespace {

// The visible main dialog of the process, or null.
HWND FindDialog(DWORD processId)
{
    for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", "Quendrix"); w;
         w = ::FindWindowExA(nullptr, w, "#32770", "Quendrix")) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == processId && ::IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& exe)
{
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    REQUIRE_MESSAGE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &m_info), exe);
    for (int i = 0; i < 200 && !m_dialog; ++i) {
        ::Sleep(50);
        m_dialog = FindDialog(m_info.dwProcessId);
    }
    REQUIRE_MESSAGE(m_dialog != nullptr, exe);
}

RunningProgram::~RunningProgram()
{
    // Gone for good before the next test lists the processes.
    if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_info.hProcess, 1);
        ::WaitForSingleObject(m_info.hProcess, 10000);
    }
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

long RunningProgram::WaitForExit(DWORD ms) const
{
    if (::WaitForSingleObject(m_info.hProcess, ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return static_cast<long>(code);
}

void RunningProgram::Click(int id) const
{
    ::SendMessageA(Item(id), BM_CLICK, 0, 0);
}

void RunningProgram::SelectProcess(int index) const
{
    HWND processes = Item(IDC_PROCESS_LIST);
    ::SendMessageW(processes, LB_SETCURSEL, index, 0);
    ::SendMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_PROCESS_LIST, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(processes));
}

std::vector<std::string> RemoteListTexts(HWND list)
{
    std::vector<std::string> texts;
    int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t wide[MAX_PATH] = L"";
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        char text[MAX_PATH] = "";
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, MAX_PATH, nullptr, nullptr);
        texts.push_back(text);
    }
    return texts;
}

}  // namespace testing
