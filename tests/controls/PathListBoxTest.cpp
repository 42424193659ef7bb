// The item store of CPathListBox on a real, sorted list box window, and display names.
#include <doctest/doctest.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "controls/PathListBox.h"
#include "controls/TitleTipWnd.h"
#include "paths/DisplayName.h"
#include "support/TestSupport.h"

// Counts the records alive: every allocation of a PathItem's size through the global new.
static int g_liveRecords;
// The size travels in front of each block, in a header that keeps the block's alignment.
static const size_t kSizeHeader = alignof(std::max_align_t);

// Not inlined: inlined into its callers, the malloc inside would look to the compiler like the
// partner of the delete below.
[[gnu::noinline]] void* operator new(size_t size)
{
    if (size == sizeof(PathItem))
        ++g_liveRecords;
    if (void* p = std::malloc(size + kSizeHeader)) {
        *static_cast<size_t*>(p) = size;
        return static_cast<char*>(p) + kSizeHeader;
    }
    throw std::bad_alloc();
}

// Not inlined either, for the same reason seen from the other side.
[[gnu::noinline]] static void ReleaseCounted(void* p) noexcept
{
    if (!p)
        return;
    char* block = static_cast<char*>(p) - kSizeHeader;
    if (*reinterpret_cast<size_t*>(block) == sizeof(PathItem))
        --g_liveRecords;
    std::free(block);
}

void operator delete(void* p) noexcept { ReleaseCounted(p); }
void operator delete(void* p, size_t) noexcept { ReleaseCounted(p); }

namespace {

// A sorted, notifying list box of the kind the main dialog has, bound to a CPathListBox.
struct ListFixture {
    CPathListBox list;
    ListFixture()
    {
        HWND hWnd = ::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_NOTIFY, 0, 0,
                                      200, 200, nullptr, nullptr, nullptr, nullptr);
        REQUIRE(hWnd != nullptr);
        list.SubclassWindow(hWnd);
    }
    ~ListFixture() { list.DestroyWindow(); }
    std::string Text(int index) const { return testing::ListTexts(list.m_hWnd).at(index); }
};

}  // namespace

TEST_CASE("display names are the file name and extension of a path")
{
    struct Case { const char* path; const char* name; int folder; } cases[] = {
        {"C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL", "KERNEL32.DLL", 18},
        {"unknown", "unknown", 0},
        {"C:\\WINNT\\system32\\ntdll", "ntdll", 18},
        {"C:relative.dll", "relative.dll", 2},
        {"\\\\server\\share\\x.exe", "x.exe", 15},
        {"dir/sub/name.tar.gz", "name.tar.gz", 8},
        {"C:\\ends\\with\\", "", 13},
        {"", "", 0},
    };
    for (const Case& c : cases) {
        CAPTURE(c.path);
        CHECK(std::string(DisplayNameOf(c.path)) == c.name);
        CHECK(FolderLength(c.path) == c.folder);
    }
}

TEST_CASE("entries show the display name, keep the full path and id, in sorted order")
{
    ListFixture f;
    CHECK(f.list.AddItem("C:\\WINNT\\system32\\ntdll.dll", 0) == 0);
    CHECK(f.Text(0) == "ntdll.dll");
    char buffer[MAX_PATH] = "";
    CHECK(f.list.GetItemPath(0, buffer) == 27);
    CHECK(std::string(buffer) == "C:\\WINNT\\system32\\ntdll.dll");
    CHECK(f.list.GetItemId(0) == 0);

    ListFixture g;
    CHECK(g.list.AddItem("C:\\b\\b.exe", 11) == 0);
    CHECK(g.list.AddItem("D:\\a\\a.exe", 22) == 0);  // sorts in front of b.exe
    CHECK(g.list.AddItem("unknown", 33) == 2);
    CHECK(g.list.GetItemId(0) == 22);
    CHECK(g.list.GetItemId(1) == 11);
    CString text;
    g.list.GetItemText(2, text);
    CHECK(text == "unknown");
    g.list.GetItemText(1, text);
    CHECK(text == "C:\\b\\b.exe");
    // Entries with equal names are all kept, each with its own id.
    g.list.AddItem("E:\\other\\a.exe", 44);
    CHECK(g.list.GetCount() == 4);
    CHECK(g.list.GetItemId(0) + g.list.GetItemId(1) == 66);
}

TEST_CASE("missing records and stale indices leave outputs untouched")
{
    ListFixture f;
    CString text = "untouched";
    char buffer[MAX_PATH] = "untouched";
    CHECK(f.list.GetItemId(0) == 0);
    f.list.GetItemText(5, text);
    CHECK(text == "untouched");
    CHECK(f.list.GetItemPath(0, buffer) == -1);
    CHECK(std::string(buffer) == "untouched");

    f.list.AddItem("C:\\x\\one.dll", 7);
    f.list.AddItem("C:\\x\\two.dll", 8);
    f.list.FreeItemData(0);
    CHECK(f.list.GetCount() == 2);
    CHECK(f.Text(0) == "one.dll");  // the text stays
    CHECK(f.list.GetItemId(0) == 0);
    CHECK(f.list.GetItemPath(0, buffer) == -1);
    CHECK(std::string(buffer) == "untouched");
    f.list.FreeItemData(0);  // twice is harmless
    CHECK(f.list.GetItemId(1) == 8);

    // A path that would not fit a MAX_PATH buffer is never copied in part.
    std::string longPath = "C:\\" + std::string(300, 'd') + "\\long.dll";
    int index = f.list.AddItem(longPath.c_str(), 9);
    CHECK(f.list.GetItemPath(index, buffer) == -1);
    f.list.GetItemText(index, text);
    CHECK(std::string(text) == longPath);

    f.list.ClearItems();
    CHECK(f.list.GetCount() == 0);
    f.list.ClearItems();  // an empty list only resets
    CHECK(f.list.GetCount() == 0);
}

namespace {

// A list box whose tip window the test can see.
class CTipList : public CPathListBox {
public:
    using CPathListBox::m_pTipWnd;
};

}  // namespace

TEST_CASE("records and the tip window are released whichever goes first, list box or window")
{
    struct Case { const char* first; bool windowFirst; } cases[] = {
        {"the window", true},
        {"the list box object", false},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.first));
        const int before = g_liveRecords;
        auto list = std::make_unique<CTipList>();
        HWND window = ::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_NOTIFY, 0, 0, 200, 200,
                                        nullptr, nullptr, nullptr, nullptr);
        REQUIRE(window != nullptr);
        list->SubclassWindow(window);
        // Counted from here: the list box's own blocks may happen to have a record's size.
        const int attached = g_liveRecords;
        for (int i = 0; i < 50; ++i)
            list->AddItem(("C:\\folder\\module" + std::to_string(i) + ".dll").c_str(), i);
        CHECK(g_liveRecords == attached + 50);
        list->ShowTip(-1);  // creates the tip window, hidden
        HWND tip = list->m_pTipWnd->m_hWnd;
        REQUIRE(::IsWindow(tip));

        if (c.windowFirst)
            list->DestroyWindow();
        list.reset();
        CHECK(g_liveRecords == before);
        CHECK_FALSE(::IsWindow(window));
        CHECK_FALSE(::IsWindow(tip));
    }
}
