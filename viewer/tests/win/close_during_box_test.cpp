// A window closed while one of its own message boxes is open: the box's
// message loop dispatches the WM_CLOSE, the window is destroyed under the
// handler that showed the box, and nothing may touch the window's record
// after it is freed. Freed records of the window's size are kept in
// quarantine, filled with a pattern, so that a late write shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/app/startup.h"
#include "viewer/core/message_box.h"
#include "viewer_window.h"

namespace {

constexpr unsigned char kFreed = 0xDD;
constexpr size_t kHeader = 16;  // keeps the block's size, and its alignment

bool g_quarantine = false;
std::vector<unsigned char*>* g_held = nullptr;

void* Allocate(size_t size) {
    unsigned char* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
}

void Release(void* p) {
    if (!p) return;
    unsigned char* block = static_cast<unsigned char*>(p) - kHeader;
    size_t size;
    std::memcpy(&size, block, sizeof size);
    if (g_quarantine && g_held && size == sizeof(ViewerState)) {
        std::memset(p, kFreed, size);
        g_held->push_back(block);
        return;
    }
    std::free(block);
}

bool Untouched(const unsigned char* block) {
    size_t size;
    std::memcpy(&size, block, sizeof size);
    for (size_t i = 0; i < size; ++i) {
        if (block[kHeader + i] != kFreed) return false;
    }
    return true;
}

HWND g_closing = nullptr;

// A box whose user closes the window meanwhile (Alt+F4 on the window behind
// it, a second start asking it to close): its loop dispatches the WM_CLOSE.
int CloseWhileBoxIsOpen(HWND owner, const wchar_t*, const wchar_t*, UINT) {
    PostMessageW(g_closing, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindow(g_closing); ++i) PumpMessages(10);
    return IDOK;
}

class CloseDuringBox : public ViewerWindowTest {};

TEST_F(CloseDuringBox, NotFoundBoxLeavesTheFreedRecordUntouched) {
    std::wstring folder = MakeFolderWith(L"close-in-box", {L"a.jpg", L"b.jpg"});
    Create("", L"\"" + Join(folder, L"a.jpg") + L"\"");
    std::vector<unsigned char*> held;
    g_held = &held;
    g_closing = window_;
    SetMessageBoxHook(CloseWhileBoxIsOpen);
    g_quarantine = true;
    // A second start hands over a file that does not exist.
    std::string missing = "C:\\nosuchfolder\\gone.jpg";
    COPYDATASTRUCT data = {0, static_cast<DWORD>(missing.size() + 1), &missing[0]};
    SendMessageW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    SendMessageW(window_, kMsgOpenHandover, 0, 0);
    g_quarantine = false;
    EXPECT_FALSE(IsWindow(window_));
    ASSERT_EQ(held.size(), 1u);
    EXPECT_TRUE(Untouched(held[0]));
    for (unsigned char* block : held) std::free(block);
    g_held = nullptr;
}

}  // namespace

// The test program's allocator, so that freed window records can be held.
void* operator new(size_t size) {
    void* p = Allocate(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size ? size : 1); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
