// Message routing of the framework: maps, typed handlers, default processing, subclassing,
// the modal loop's pre-translation and data exchange, on real windows.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/FolderDialog.h"
#include "framework/Controls.h"
#include "framework/DialogTexts.h"
#include "framework/WinApp.h"
#include "support/FileDialogSupport.h"
#include "support/GuardedBuffer.h"
#include "support/TestSupport.h"

// The allocator of this test: it fails the next allocation on request, and notes when one
// watched block is freed.
static bool g_failNextAllocation;
static const void* g_watched;
static bool g_watchedFreed;

// Not inlined, as the counting allocator of the list box test explains.
[[gnu::noinline]] void* operator new(size_t size)
{
    if (g_failNextAllocation) {
        g_failNextAllocation = false;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

[[gnu::noinline]] static void ReleaseWatched(void* p) noexcept
{
    if (p && p == g_watched)
        g_watchedFreed = true;
    std::free(p);
}

void operator delete(void* p) noexcept { ReleaseWatched(p); }
void operator delete(void* p, size_t) noexcept { ReleaseWatched(p); }

namespace {

std::vector<std::string> g_events;

class CRecordingList : public CListBox {
public:
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_LBUTTONDOWN)
            g_events.push_back("pre");
        return CListBox::PreTranslateMessage(msg);
    }

protected:
    void OnLButtonDown(UINT flags, CPoint point)
    {
        g_events.push_back("down " + std::to_string(point.x) + "," + std::to_string(point.y));
        Default();
        // The list control's default processing took the capture; give it back.
        ::ReleaseCapture();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingList, CListBox)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class CRoutingDlg : public CDialog {
public:
    CRoutingDlg() : CDialog(200) {}

    CRecordingList m_list;
    CButton m_button;
    int m_clicks = 0;
    int m_sizeCx = -1, m_sizeCy = -1;
    bool m_initialised = false;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, 10, m_list);
        DDX_Control(dx, 11, m_button);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_initialised = true;
        return TRUE;
    }
    void OnGo() { ++m_clicks; }
    void OnSize(UINT, int cx, int cy)
    {
        Default();
        m_sizeCx = cx;
        m_sizeCy = cy;
    }
    LRESULT OnApp(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRoutingDlg, CDialog)
    ON_BN_CLICKED(11, OnGo)
    ON_WM_SIZE()
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    int m_commands = 0;
    bool m_throwAtStart = false;

    BOOL InitInstance() override
    {
        if (m_throwAtStart)
            throw std::runtime_error("thrown at start-up");
        return FALSE;
    }

protected:
    void OnAppCommand() { ++m_commands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(500, OnAppCommand)
END_MESSAGE_MAP()

CTestApp g_app;

}  // namespace

TEST_CASE("messages reach their typed handlers, and everything else the default procedure")
{
    CRoutingDlg dialog;
    g_events.clear();
    INT_PTR result = testing::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        REQUIRE(dialog.m_initialised);

        // Data exchange bound both controls to their objects, from then on permanently.
        CHECK(dialog.m_list.m_hWnd == ::GetDlgItem(dlg, 10));
        CHECK(CWnd::FromHandlePermanent(::GetDlgItem(dlg, 11)) == &dialog.m_button);
        CHECK(CWnd::FromHandlePermanent(dlg) == &dialog);

        // Typed handlers: a button click, a size change with its client size, a raw message.
        testing::ClickButton(dlg, 11);
        testing::ClickButton(dlg, 11);
        CHECK(dialog.m_clicks == 2);
        ::SetWindowPos(dlg, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
        RECT client;
        ::GetClientRect(dlg, &client);
        CHECK(dialog.m_sizeCx == client.right);
        CHECK(dialog.m_sizeCy == client.bottom);
        CHECK(::SendMessageA(dlg, WM_APP, 40, 2) == 42);

        // A message without entry goes to the control's own procedure.
        ::SendMessageA(dialog.m_list.m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("alpha"));
        CHECK(::SendMessageA(dialog.m_list.m_hWnd, LB_GETCOUNT, 0, 0) == 1);

        // A command that no window handles reaches the application's map.
        ::SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(500, 0), 0);
        CHECK(g_app.m_commands == 1);

        // A queued message passes the control's PreTranslateMessage before its handler.
        ::PostMessageA(dialog.m_list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
        testing::Pump();
        CHECK(g_events == std::vector<std::string>{"pre", "down 3,4"});

        // The handler's Default() did the list control's work: the entry is selected.
        CHECK(::SendMessageA(dialog.m_list.m_hWnd, LB_GETCURSEL, 0, 0) == 0);
        dialog.EndDialog(77);
    });
    CHECK(result == 77);
    // The windows are gone, and so are the bindings.
    CHECK(dialog.m_hWnd == nullptr);
    CHECK(dialog.m_list.m_hWnd == nullptr);
}

TEST_CASE("Escape and the close box end a dialog with IDCANCEL; a subclass can be undone")
{
    CRoutingDlg dialog;
    INT_PTR result = testing::RunModal(dialog, [&] {
        ::SetFocus(dialog.m_list.m_hWnd);
        ::PostMessageA(dialog.m_list.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        testing::Pump();
        // Unbinding restores the control's own procedure.
        HWND list = dialog.m_list.m_hWnd;
        const LONG_PTR framework = reinterpret_cast<LONG_PTR>(&AfxWndProc);
        CHECK(::GetWindowLongPtrA(list, GWLP_WNDPROC) == framework);
        CHECK(dialog.m_list.UnsubclassWindow() == list);
        CHECK(::GetWindowLongPtrA(list, GWLP_WNDPROC) != framework);
        CHECK(CWnd::FromHandlePermanent(list) == nullptr);
    });
    CHECK(result == IDCANCEL);

    CRoutingDlg closed;
    result = testing::RunModal(closed, [&] {
        ::SendMessageA(closed.m_hWnd, WM_CLOSE, 0, 0);
        testing::Pump();
        CHECK(closed.m_hWnd != nullptr);  // still alive until DoModal returns
    });
    CHECK(result == IDCANCEL);
}

TEST_CASE("temporary window objects stand in for windows that no object owns")
{
    HWND plain = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(plain != nullptr);
    CWnd* temp = CWnd::FromHandle(plain);
    REQUIRE(temp != nullptr);
    CHECK(temp->m_hWnd == plain);
    CHECK(CWnd::FromHandle(plain) == temp);
    CHECK(CWnd::FromHandlePermanent(plain) == nullptr);
    CHECK(CWnd::FromHandle(nullptr) == nullptr);
    // Deleting the temporaries frees the object but leaves the window, which it never owned.
    g_watched = temp;
    g_watchedFreed = false;
    CWnd::DeleteTempMap();
    g_watched = nullptr;
    CHECK(g_watchedFreed);
    CHECK(::IsWindow(plain));
    ::DestroyWindow(plain);
}

namespace {

// Runs a nested modal dialog from a handler that holds a temporary object, as a handler that
// opens the About box would; then lets its own loop go idle.
class CNestingDlg : public CDialog {
public:
    CNestingDlg() : CDialog(200) {}
    bool m_nestedRan = false;
    bool m_keptThroughNested = false;  // the temporary was neither freed nor changed
    bool m_freedWhenIdle = false;      // the outermost loop freed it once idle

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT OnNest(WPARAM, LPARAM)
    {
        // The Cancel button has no object of its own: a temporary stands for it.
        CWnd* cancel = GetDlgItem(IDCANCEL);
        g_watched = cancel;
        g_watchedFreed = false;
        CDialog nested(200, this);
        testing::WhenOwnedWindowAppears(m_hWnd, "#32770", [](HWND shown) { testing::PostCommand(shown, IDCANCEL); });
        m_nestedRan = nested.DoModal() == IDCANCEL;
        m_keptThroughNested = !g_watchedFreed && cancel->m_hWnd == ::GetDlgItem(m_hWnd, IDCANCEL);
        // The timer's message comes only after the loop has found its queue empty.
        ::SetTimer(m_hWnd, 1, 50, nullptr);
        return 0;
    }
    LRESULT OnTimer(WPARAM, LPARAM)
    {
        ::KillTimer(m_hWnd, 1);
        m_freedWhenIdle = g_watchedFreed;
        g_watched = nullptr;
        EndDialog(IDOK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNestingDlg, CDialog)
    ON_MESSAGE(WM_APP, OnNest)
    ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

}  // namespace

TEST_CASE("a temporary taken by a handler outlives the modal loop the handler runs")
{
    CNestingDlg dialog;
    CHECK(dialog.DoModal() == IDOK);
    testing::CancelWatches();
    CHECK(dialog.m_nestedRan);
    CHECK(dialog.m_keptThroughNested);
    CHECK(dialog.m_freedWhenIdle);
}

TEST_CASE("strings format any length and load from the resources")
{
    CString text;
    text.Format("%s-%d-%05.1f", "abc", 42, 3.14159);
    CHECK(text == "abc-42-003.1");
    std::string longText(5000, 'x');
    text.Format("<%s>", longText.c_str());
    CHECK(text.GetLength() == 5002);

    CString loaded;
    CHECK(loaded.LoadString(300));
    // In the ANSI code page, as the system converts the resource's text.
    CHECK(std::string(loaded) == testing::Ansi("Ein Text mit \xC3\x9F"));
    CHECK_FALSE(loaded.LoadString(301));
    CHECK(loaded.IsEmpty());
}

// Words of a DIALOG template built by hand, as the platform reference lays it out.
struct TemplateWords {
    std::vector<WORD> words;
    TemplateWords& Dword(DWORD value) { return Word(LOWORD(value)).Word(HIWORD(value)); }
    TemplateWords& Word(WORD value)
    {
        words.push_back(value);
        return *this;
    }
    TemplateWords& Text(const wchar_t* text)
    {
        for (; *text; ++text)
            Word(*text);
        return Word(0);
    }
    TemplateWords& Align() { return words.size() % 2 ? Word(0) : *this; }
};

TEST_CASE("a dialog template's texts are read, DIALOGEX or DIALOG, and never past its end")
{
    struct Expected {
        bool caption;
        int id;
        const wchar_t* text;
    };
    // The routing dialog of this test's resources, as its script reads.
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(200), MAKEINTRESOURCEA(5));
    REQUIRE(found);
    const BYTE* routing = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    // A DIALOG with a font, a control whose creation data is four bytes (its size word included),
    // a control titled by an ordinal, and one of id -1.
    TemplateWords dialog;
    dialog.Dword(WS_POPUP | DS_SETFONT).Dword(0).Word(4).Word(0).Word(0).Word(90).Word(40);
    dialog.Word(0).Word(0).Text(L"Alt").Word(8).Text(L"Arial");
    dialog.Align().Dword(WS_CHILD).Dword(0).Word(0).Word(0).Word(9).Word(9).Word(5);
    dialog.Word(0xFFFF).Word(0x80).Text(L"Eins").Word(4).Word(0x1234);
    dialog.Align().Dword(WS_CHILD).Dword(0).Word(0).Word(0).Word(9).Word(9).Word(6);
    dialog.Word(0xFFFF).Word(0x82).Word(0xFFFF).Word(3).Word(0);
    dialog.Align().Dword(WS_CHILD).Dword(0).Word(0).Word(0).Word(9).Word(9).Word(0xFFFF);
    dialog.Word(0xFFFF).Word(0x82).Text(L"Viele").Word(0);
    dialog.Align().Dword(WS_CHILD).Dword(0).Word(0).Word(0).Word(9).Word(9).Word(7);
    dialog.Word(0xFFFF).Word(0x82).Text(L"Zwei\u00DF").Word(0);
    struct Case {
        const char* name;
        const BYTE* bytes;
        DWORD size;
        std::vector<Expected> texts;
    } cases[] = {
        {"DIALOGEX", routing, ::SizeofResource(nullptr, found),
         {{true, 0, L"Routing"}, {false, 11, L"Go"}, {false, IDCANCEL, L"Cancel"}}},
        {"DIALOG", reinterpret_cast<const BYTE*>(dialog.words.data()), static_cast<DWORD>(2 * dialog.words.size()),
         {{true, 0, L"Alt"}, {false, 5, L"Eins"}, {false, 7, L"Zwei\u00DF"}}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        std::vector<TemplateText> read = ReadTemplateTexts(c.bytes, c.size);
        REQUIRE(read.size() == c.texts.size());
        for (size_t i = 0; i < read.size(); ++i) {
            CHECK(read[i].caption == c.texts[i].caption);
            CHECK(read[i].id == c.texts[i].id);
            CHECK(read[i].text == c.texts[i].text);
        }
        // Cut anywhere, a template gives a beginning of its texts, each whole; the cut lies flush
        // against an inaccessible page, where a read past its end faults.
        testing::GuardedBuffer guarded(c.size);
        for (DWORD cut = 0; cut < c.size; ++cut) {
            const BYTE* part = guarded.Place(std::string(reinterpret_cast<const char*>(c.bytes), cut));
            std::vector<TemplateText> some = ReadTemplateTexts(part, cut);
            REQUIRE(some.size() <= read.size());
            for (size_t i = 0; i < some.size(); ++i)
                CHECK(some[i].text == read[i].text);
        }
    }
}

TEST_CASE("run-time class information answers IsKindOf along the class chain")
{
    CRoutingDlg dialog;  // a CDialog subclass without information of its own
    CListBox list;
    CHECK(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
    CHECK(dialog.IsKindOf(RUNTIME_CLASS(CWnd)));
    CHECK_FALSE(dialog.IsKindOf(RUNTIME_CLASS(CListBox)));
    CHECK(list.IsKindOf(RUNTIME_CLASS(CListBox)));
    CHECK(std::string(list.GetRuntimeClass()->m_lpszClassName) == "CListBox");
    CHECK_FALSE(CWnd::FromHandle(::GetDesktopWindow())->IsKindOf(RUNTIME_CLASS(CDialog)));
}

TEST_CASE("registered window classes are shared per set of arguments and default-processed")
{
    const char* plain = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS);
    REQUIRE(plain != nullptr);
    CHECK(AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS) == plain);
    CHECK(std::string(AfxRegisterWndClass(CS_SAVEBITS, ::LoadCursor(nullptr, IDC_ARROW))) != plain);
    WNDCLASSA wc{};
    REQUIRE(::GetClassInfoA(AfxGetInstanceHandle(), plain, &wc));
    CHECK(wc.style == 0x0803u);
    CHECK(wc.hbrBackground == nullptr);

    // A window of the class is bound from its first message; what it leaves goes to the default.
    CWnd wnd;
    REQUIRE(wnd.CreateEx(0, plain, "first", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CHECK(CWnd::FromHandlePermanent(wnd.m_hWnd) == &wnd);
    CString text;
    wnd.GetWindowText(text);
    CHECK(text == "first");
    wnd.DestroyWindow();
}

namespace {

std::vector<std::string> g_typed;

class CTypedWnd : public CWnd {
protected:
    static std::string Name(CWnd* wnd) { return wnd ? (wnd->m_hWnd == ::GetDesktopWindow() ? "desktop" : "?") : "null"; }
    void OnKillFocus(CWnd* newFocus) { g_typed.push_back("killfocus " + Name(newFocus)); }
    void OnActivateApp(BOOL active, HTASK task)
    {
        g_typed.push_back("activateapp " + std::to_string(active) + " " + std::to_string(reinterpret_cast<UINT_PTR>(task)));
    }
    void OnActivate(UINT state, CWnd* other, BOOL minimized)
    {
        g_typed.push_back("activate " + std::to_string(state) + " " + Name(other) + " " + std::to_string(minimized));
    }
    void OnCaptureChanged(CWnd* gaining) { g_typed.push_back("capturechanged " + Name(gaining)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTypedWnd, CWnd)
    ON_WM_KILLFOCUS()
    ON_WM_ACTIVATEAPP()
    ON_WM_ACTIVATE()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

}  // namespace

TEST_CASE("focus, activation and capture messages reach handlers with typed arguments")
{
    CTypedWnd wnd;
    REQUIRE(wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const LPARAM desktop = reinterpret_cast<LPARAM>(::GetDesktopWindow());
    struct Case { UINT message; WPARAM wParam; LPARAM lParam; const char* expected; } cases[] = {
        {WM_KILLFOCUS, static_cast<WPARAM>(desktop), 0, "killfocus desktop"},
        {WM_ACTIVATEAPP, TRUE, 1234, "activateapp 1 1234"},
        {WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 1), desktop, "activate 2 desktop 1"},
        {WM_CAPTURECHANGED, 0, desktop, "capturechanged desktop"},
        {WM_CAPTURECHANGED, 0, 0, "capturechanged null"},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.expected));
        g_typed.clear();
        wnd.SendMessage(c.message, c.wParam, c.lParam);
        CHECK(g_typed == std::vector<std::string>{c.expected});
    }
    wnd.DestroyWindow();
}

namespace {

// A window whose handler throws.
class CThrowingWnd : public CWnd {
protected:
    LRESULT OnApp(WPARAM, LPARAM) { throw std::runtime_error("thrown by a handler"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

// Plays the user while a callback fails: reads and closes each report of the framework (a
// message box captioned "Quendrix"), and hands every other dialog that appears to `onDialog`.
struct Reports {
    std::vector<std::string> texts;
    std::function<void(HWND)> onDialog;
    std::vector<HWND> handled;
};
Reports* g_reports;

BOOL CALLBACK ServeDialog(HWND hWnd, LPARAM)
{
    char name[32] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    if (lstrcmpiA(name, "#32770") != 0 || !::IsWindowVisible(hWnd) ||
        std::find(g_reports->handled.begin(), g_reports->handled.end(), hWnd) != g_reports->handled.end())
        return TRUE;
    g_reports->handled.push_back(hWnd);
    if (testing::WindowText(hWnd) == "Quendrix") {
        g_reports->texts.push_back(testing::MessageBoxText(hWnd));
        testing::PostCommand(hWnd, IDOK);
    } else {
        g_reports->onDialog(hWnd);
    }
    return FALSE;
}

// Served from a timer, which every modal loop dispatches, the report boxes' own included.
void CALLBACK ServeDialogs(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_reports)
        ::EnumThreadWindows(::GetCurrentThreadId(), &ServeDialog, 0);
}

}  // namespace

TEST_CASE("an exception in a callback of the system is reported there and goes no further")
{
    const std::string folder = testing::FreshFolder();  // long enough to need memory of its own
    REQUIRE(::SetCurrentDirectoryA(folder.c_str()));
    const char* plainClass = AfxRegisterWndClass(0);
    auto cancel = [](HWND shown) { testing::PostCommand(shown, IDCANCEL); };
    struct Case {
        const char* callback;
        const char* report;
        std::function<void(HWND)> onDialog;
        // Calls into the system so that the callback throws, and checks the callback's fallback
        // answer as the caller sees it.
        std::function<void()> provoke;
    } cases[] = {
        {"window procedure", "thrown by a handler", cancel, [&] {
             CThrowingWnd wnd;
             REQUIRE(wnd.CreateEx(0, plainClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
             CHECK(wnd.SendMessage(WM_APP, 1, 2) == 0);
         }},
        // Binding the new window to its object needs memory: without it, no window.
        {"creation hook", "Out of memory.", cancel, [&] {
             CWnd wnd;
             g_failNextAllocation = true;
             CHECK_FALSE(wnd.CreateEx(0, plainClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
             CHECK_FALSE(g_failNextAllocation);
             CHECK(wnd.m_hWnd == nullptr);
         }},
        // Unbound, the file dialog runs as the system's own and can still be cancelled.
        {"file dialog hook", "Out of memory.", cancel, [] {
             CFileDialog dialog(TRUE);
             g_failNextAllocation = true;
             CHECK(dialog.DoModal() == IDCANCEL);
             CHECK_FALSE(g_failNextAllocation);
             CHECK(dialog.m_hWnd == nullptr);
         }},
        // Select fails: the chooser stays open and the folder string keeps its value.
        {"folder chooser window procedure", "Out of memory.",
         [](HWND shown) {
             g_failNextAllocation = true;
             ::SendMessageA(shown, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
             CHECK_FALSE(g_failNextAllocation);
             CHECK(::IsWindowVisible(shown));
             testing::PostCommand(shown, IDCANCEL);
         },
         [] {
             CString chosen = "untouched";
             CFolderDialog chooser(&chosen);
             CHECK(chooser.DoModal() == IDCANCEL);
             CHECK(chosen == "untouched");
         }},
        {"entry point", "thrown at start-up", cancel, [] {
             g_app.m_throwAtStart = true;
             CHECK(::WinMain(::GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL) == -1);
             g_app.m_throwAtStart = false;
         }},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.callback));
        Reports reports{{}, c.onDialog, {}};
        g_reports = &reports;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ServeDialogs);
        CHECK_NOTHROW(c.provoke());
        ::KillTimer(nullptr, timer);
        g_reports = nullptr;
        g_failNextAllocation = false;
        CHECK(reports.texts == std::vector<std::string>{c.report});
    }
}
