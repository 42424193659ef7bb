#include "MenuTestSupport.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include <doctest/doctest.h>

#include "support/TestSupport.h"

namespace {

std::vector<std::string> g_parentEvents;

LRESULT CALLBACK HostProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE)
        g_parentEvents.push_back("selchange");
    if (message == WM_CONTEXTMENU)
        g_parentEvents.push_back("contextmenu");
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

TempFile::TempFile(const char* fileName) : name(fileName)
{
    char temp[MAX_PATH] = "", longTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    ::GetLongPathNameA(temp, longTemp, MAX_PATH);
    folder = longTemp;
    path = folder + name;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, "Quendrix", 8, &written, nullptr);
    ::CloseHandle(file);
}

TempFile::~TempFile()
{
    ::DeleteFileA(path.c_str());
}

bool TempFile::Exists() const
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LRESULT CProbeList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    messages.push_back(message);
    return CPathListBox::WindowProc(message, wParam, lParam);
}

int CProbeList::Count(UINT message) const
{
    return static_cast<int>(std::count(messages.begin(), messages.end(), message));
}

HostFixture::HostFixture()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &HostProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuendrixMenuHost";
    ::RegisterClassA(&windowClass);  // fails harmlessly when already registered
    host = ::CreateWindowExA(0, "QuendrixMenuHost", "Menu host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 360,
                             260, nullptr, nullptr, windowClass.hInstance, nullptr);
    HWND listWindow = ::CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_NOTIFY, 10, 10,
                                        300, 180, host, reinterpret_cast<HMENU>(1001), nullptr, nullptr);
    list.SubclassWindow(listWindow);
    ::SetForegroundWindow(host);
    testing::Pump();
}

HostFixture::~HostFixture()
{
    ::DestroyWindow(host);
    testing::Pump();
}

std::vector<std::string> HostFixture::RightClick(POINT point)
{
    g_parentEvents.clear();
    list.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    return g_parentEvents;
}

std::vector<std::string> HostFixture::ParentEventsSoFar()
{
    return g_parentEvents;
}

POINT HostFixture::RowPoint(int index)
{
    RECT row{};
    list.GetItemRect(index, &row);
    return POINT{row.left + 8, (row.top + row.bottom) / 2};
}

std::string ShellVerbLabel(const std::string& path, const char* verb)
{
    const std::wstring wide(path.begin(), path.end());
    LPITEMIDLIST full = nullptr;
    REQUIRE(SUCCEEDED(::SHParseDisplayName(wide.c_str(), nullptr, &full, 0, nullptr)));
    IShellFolder* parent = nullptr;
    LPCITEMIDLIST child = nullptr;
    REQUIRE(SUCCEEDED(::SHBindToParent(full, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child)));
    IContextMenu* menu = nullptr;
    REQUIRE(SUCCEEDED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr,
                                            reinterpret_cast<void**>(&menu))));
    HMENU popup = ::CreatePopupMenu();
    REQUIRE(SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL)));
    std::string label;
    for (const testing::MenuItem& item : testing::MenuItems(popup)) {
        char name[64] = "";
        if (item.separator || item.id < 1 || item.id > 0x7FFF ||
            FAILED(menu->GetCommandString(item.id - 1, GCS_VERBA, nullptr, name, sizeof name)) ||
            lstrcmpiA(name, verb) != 0)
            continue;
        for (char c : item.text)
            if (c != '&')
                label += c;
        break;
    }
    ::DestroyMenu(popup);
    menu->Release();
    parent->Release();
    ::CoTaskMemFree(full);
    REQUIRE_MESSAGE(!label.empty(), "the shell's menu for " << path << " has no entry for " << verb);
    return label;
}

std::vector<std::string> ClipboardFiles()
{
    std::vector<std::string> files;
    IDataObject* data = nullptr;
    if (FAILED(::OleGetClipboard(&data)))
        return files;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        HDROP drop = static_cast<HDROP>(medium.hGlobal);
        UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char file[MAX_PATH] = "";
            ::DragQueryFileA(drop, i, file, MAX_PATH);
            files.push_back(file);
        }
        ::ReleaseStgMedium(&medium);
    }
    data->Release();
    return files;
}

void EmptyTheClipboard()
{
    ::OleSetClipboard(nullptr);
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}
