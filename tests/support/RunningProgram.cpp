#include "support/RunningProgram.h"

#include <doctest/doctest.h>

#include "framework/Encoding.h"
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

RunningProgram::RunningProgram(const std::string& exe) : m_process(L"\"" + ToWide(exe) + L"\"")
{
    REQUIRE_MESSAGE(WaitFor([&] { return (m_dialog = FindDialog(Id())) != nullptr; }, 10000), exe);
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
    for (int i = 0; i < count; ++i)
        texts.push_back(RemoteListText(list, i));
    return texts;
}

std::string RemoteListText(HWND list, int index)
{
    wchar_t wide[MAX_PATH] = L"";
    ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide));
    char text[2 * MAX_PATH] = "";
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

int RemoteFindEntry(HWND list, const std::string& text)
{
    const std::wstring wide(text.begin(), text.end());
    int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t entry[MAX_PATH] = L"";
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
        if (wide == entry)
            return i;
    }
    return -1;
}

RECT RemoteRowOnScreen(HWND list, int index)
{
    RECT row{};
    ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
    return row;
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::string classPrefix;
    HWND found;
};

BOOL CALLBACK MatchVisible(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    char name[80] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    if (owner == search->processId && ::IsWindowVisible(hWnd) &&
        std::string(name).rfind(search->classPrefix, 0) == 0) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindVisibleWindow(DWORD processId, const std::string& classPrefix)
{
    WindowSearch search{processId, classPrefix, nullptr};
    ::EnumWindows(&MatchVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitFor(const std::function<bool()>& done, int ms)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        ::Sleep(20);
    }
    return done();
}

void Xdo(const std::string& arguments)
{
    // Wine gives no handle to wait on for a Unix program, and leaves stale values in the record's
    // handle fields, one of which may be our own standard output: they are never closed, so no
    // owner of a started process can hold it, and `timeout` ends it should it hang. A shell
    // around xdotool leaves its exit status in a file once it is done, moved into place whole.
    // The file's name is one that the system reserved in the host's /tmp, which every prefix
    // and every run on the machine shares.
    char reserved[MAX_PATH] = "";
    REQUIRE(::GetTempFileNameA("Z:\\tmp", "qxd", 0, reserved));
    const std::string name = std::string(reserved).substr(7) + ".status";
    const std::string unixFile = "/tmp/" + name, windowsFile = std::string(reserved) + ".status";
    std::string command = "/bin/sh -c \"/usr/bin/timeout 10 /usr/bin/xdotool " + arguments + "; echo $? >" + unixFile + ".part && mv " +
                          unixFile + ".part " + unixFile + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    REQUIRE_MESSAGE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &info),
                    "no shell to run xdotool: the test needs the display's pointer");
    std::string status;
    auto finished = [&] {
        HANDLE file = ::CreateFileA(windowsFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        char text[16] = "";
        DWORD read = 0;
        ::ReadFile(file, text, sizeof text - 1, &read, nullptr);
        ::CloseHandle(file);
        status.assign(text, read);
        return true;
    };
    const bool ended = WaitFor(finished, 10000);
    ::DeleteFileA(windowsFile.c_str());
    ::DeleteFileA(reserved);
    REQUIRE_MESSAGE(ended, "xdotool " << arguments << " did not end");
    REQUIRE_MESSAGE(status == "0\n", "xdotool " << arguments << " failed: the test needs the display's pointer");
}

void PointerTo(POINT p)
{
    Xdo("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
}

void ClickAt(POINT p, int button)
{
    Xdo("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click " + std::to_string(button));
}

}  // namespace testing
