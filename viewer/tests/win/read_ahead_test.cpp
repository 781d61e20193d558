// Reading ahead in a real window: a file replaced, deleted, moved or rewritten
// in place after it was read ahead shows what is on disk at the step; a file
// that could not be read ahead is read when shown; what is held and the
// budget; a hand-over and closes while the read-ahead thread works; and held
// keys, which end on the right entry with its own picture, a sort after them
// included. Each picture is a bitmap file of its own width, so the width tells
// which file a picture came from.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/app/read_ahead.h"
#include "viewer/app/startup.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/settings.h"
#include "viewer/readahead/read_ahead_worker.h"
#include "viewer_window.h"

namespace {

// A 24-bit bitmap file of `width` × 8 pixels, every byte of them `value`.
std::string BitmapFile(int32_t width, char value = '\x40') { return BitmapFileBytes(width, 8, value); }

// Entries p00.bmp … of widths 10, 11, …
std::wstring FolderOfWidths(const wchar_t* tag, int count) {
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"p%02d.bmp", i);
        names.push_back(name);
    }
    const std::wstring folder = MakeFolderWith(tag, names);
    for (int i = 0; i < count; ++i) WriteWholeFile(Join(folder, names[static_cast<size_t>(i)]), BitmapFile(10 + i));
    return folder;
}

class ReadAhead : public ViewerWindowTest {
protected:
    // Lets the read-ahead thread finish what the last step asked of it.
    void LetItRead() {
        for (int i = 0; i < 10; ++i) {
            PumpMessages(50);
        }
        Settle();
    }
};

TEST_F(ReadAhead, AFileChangedAfterItWasReadAheadShowsWhatIsOnDisk) {
    const std::wstring folder = FolderOfWidths(L"ra-change", 5);
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    LetItRead();  // p01 and p02 are read ahead
    // Replaced: another size, a later write time.
    Sleep(20);
    WriteWholeFile(Join(folder, L"p01.bmp"), BitmapFile(77));
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(state_->picture.width, 77);
    LetItRead();
    // Deleted, and moved away, after they were read ahead.
    ASSERT_TRUE(DeleteFileW(Join(folder, L"p02.bmp").c_str()));
    ASSERT_TRUE(MoveFileW(Join(folder, L"p03.bmp").c_str(), Join(folder, L"moved.txt").c_str()));
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(Title(), L"(3/5)p02.bmp");
    EXPECT_EQ(state_->picture.width, -1);
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(state_->picture.width, -1);
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(state_->picture.width, 14);
    EXPECT_NE(state_->displayBitmap, nullptr);
    // Going back reads ahead backwards.
    LetItRead();
    WriteWholeFile(Join(folder, L"p03.bmp"), BitmapFile(55));
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->picture.width, 55);
}

TEST_F(ReadAhead, DeletingTheShownFileShowsTheNextFromDisk) {
    const std::wstring folder = FolderOfWidths(L"ra-delete", 4);
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    LetItRead();
    WriteWholeFile(Join(folder, L"p01.bmp"), BitmapFile(66));  // after its read-ahead
    Send(WM_COMMAND, IDM_DELETE);
    Settle();
    ASSERT_EQ(GetFileAttributesW(Join(folder, L"p00.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Title(), L"(1/3)p01.bmp");
    EXPECT_EQ(state_->picture.width, 66);
}

TEST_F(ReadAhead, AHandoverWhileTheThreadReadsOpensTheHandedFile) {
    const std::wstring folder = FolderOfWidths(L"ra-hand", 6);
    const std::wstring other = FolderOfWidths(L"ra-hand2", 3);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    Send(WM_COMMAND, IDM_NEXT);  // the thread now reads p02 and p03
    std::string text;
    for (wchar_t c : Join(other, L"p02.bmp")) text += static_cast<char>(c);
    COPYDATASTRUCT data = {0, static_cast<DWORD>(text.size() + 1), const_cast<char*>(text.c_str())};
    SendMessageW(window_, WM_COPYDATA, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(&data));
    SendMessageW(window_, kMsgOpenHandover, 0, 0);
    LetItRead();
    EXPECT_EQ(Title(), L"(3/3)p02.bmp");
    EXPECT_EQ(state_->picture.width, 12);
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->picture.width, 11);
}

TEST_F(ReadAhead, ClosingWhileTheThreadReadsEndsAtOnce) {
    const std::wstring folder = FolderOfWidths(L"ra-close", 6);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    Send(WM_COMMAND, IDM_NEXT);
    const LARGE_INTEGER before = Now();
    DestroyWindow(window_);
    PumpMessages(100);  // a result posted before the close arrives at no window
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_LT(Milliseconds(before, Now()), 5000.0);  // a hang, not a speed figure
}

TEST_F(ReadAhead, AHeldKeyOverThirtyEntriesEndsOnTheLastWithItsPicture) {
    const std::wstring folder = FolderOfWidths(L"ra-held", 31);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    // Two presses more than there are entries: the last entry is reached with
    // a press still queued, which goes nowhere.
    for (int i = 0; i < 32; ++i) PostMessageW(window_, WM_COMMAND, IDM_NEXT, 0);
    Settle();
    LetItRead();
    EXPECT_EQ(state_->currentIndex, 30);
    EXPECT_EQ(Title(), L"(31/31)p30.bmp");
    EXPECT_EQ(state_->picture.width, 40);
    EXPECT_NE(state_->picture.bitmap, nullptr);
    ASSERT_NE(state_->displayBitmap, nullptr);
    // And back with the other key, one by one.
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->picture.width, 39);
}

// Presses every 30 ms over photographs that take longer than that to decode:
// the window passes entries over and decodes the one the presses stop at.
DWORD WINAPI PressNextEvery30ms(void* window) {
    for (int i = 0; i < 9; ++i) {
        PostMessageW(static_cast<HWND>(window), WM_COMMAND, IDM_NEXT, 0);
        Sleep(30);
    }
    return 0;
}

TEST_F(ReadAhead, AHeldKeyOverSlowPicturesDecodesTheEntryItStopsAt) {
    const std::string photo =
        ReadWholeFile(PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\slow.jpg");
    ASSERT_FALSE(photo.empty());
    std::vector<std::wstring> names;
    for (int i = 0; i < 12; ++i) names.push_back(L"s" + std::to_wstring(10 + i) + L".jpg");
    const std::wstring folder = MakeFolderWith(L"ra-slow", names);
    for (const std::wstring& name : names) WriteWholeFile(Join(folder, name), photo);
    Create("", L"\"" + Join(folder, names[0]) + L"\"");
    // From a decode, not a picture read ahead: s11 and s12 are, s13 is not.
    Send(WM_COMMAND, IDM_NEXT);
    Send(WM_COMMAND, IDM_NEXT);
    HANDLE presser = CreateThread(nullptr, 0, PressNextEvery30ms, window_, 0, nullptr);
    while (WaitForSingleObject(presser, 0) == WAIT_TIMEOUT) PumpMessages(5);
    CloseHandle(presser);
    for (int i = 0; i < 100 && !state_->picture.bitmap; ++i) PumpMessages(50);
    EXPECT_EQ(Title(), L"(12/12)s21.jpg");
    EXPECT_EQ(state_->picture.width, 2400);
    EXPECT_NE(state_->displayBitmap, nullptr);
}

// The blue of the shown picture's first pixel.
int FirstBlue(const ViewerState& state) {
    BITMAP bm = {};
    if (!GetObjectW(state.picture.bitmap, sizeof bm, &bm) || !bm.bmBits) return -1;
    return static_cast<const uint8_t*>(bm.bmBits)[0];
}

// Rewrites `path` with `bytes`, putting its old write time back.
void RewriteKeepingTheWriteTime(const std::wstring& path, const std::string& bytes) {
    WIN32_FILE_ATTRIBUTE_DATA before;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &before));
    WriteWholeFile(path, bytes);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &before.ftLastWriteTime);
    CloseHandle(file);
}

// Without a budget the next picture is held, with 1 MB it is not; either way
// a rewrite of it that keeps its size and write time is what the step shows.
TEST_F(ReadAhead, ARewriteKeepingSizeAndWriteTimeShowsTheNewPicture) {
    for (const char* budget : {"", "ReadAheadMB=1\r\n"}) {
        SCOPED_TRACE(budget);
        const std::wstring folder = FolderOfWidths(budget[0] ? L"ra-budget" : L"ra-room", 1);
        const std::wstring next = Join(folder, L"p01.bmp");
        WriteWholeFile(next, BitmapFile(40000));  // 1.3 MB decoded
        Create(std::string("[SystemSetting]\r\n") + budget, L"\"" + Join(folder, L"p00.bmp") + L"\"");
        LetItRead();
        EXPECT_EQ(HeldReadAheadBytes(*state_), budget[0] ? 0u : 40000u * 8 * 4);
        RewriteKeepingTheWriteTime(next, BitmapFile(40000, '\x80'));
        Send(WM_COMMAND, IDM_NEXT);
        EXPECT_EQ(FirstBlue(*state_), 0x80);
        DestroyWindow(window_);
        Settle();
    }
}

// A PNG is held with its whole file, which counts against the budget.
TEST_F(ReadAhead, WhatIsHeldCountsTheWholeFileKeptWithAPicture) {
    const std::wstring folder = FolderOfWidths(L"ra-buffer", 1);
    const std::string png = ReadWholeFile(PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\opaque.png");
    ASSERT_GT(png.size(), 24u);
    WriteWholeFile(Join(folder, L"p01.png"), png);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    LetItRead();
    auto side = [&](size_t at) { return uint64_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]); };  // IHDR
    EXPECT_EQ(HeldReadAheadBytes(*state_), side(16) * side(20) * 4 + png.size());
}

// A file that another program holds open while it would be read ahead is
// read when shown, once it is free: its stamp did not change meanwhile.
TEST_F(ReadAhead, AFileThatCouldNotBeReadAheadIsReadWhenShown) {
    const std::wstring folder = FolderOfWidths(L"ra-locked", 3);
    HANDLE held = CreateFileW(Join(folder, L"p01.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    LetItRead();
    CloseHandle(held);
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(state_->picture.width, 11);
}

// Steps passed over, then a sort that moves the entry they stopped at: it
// still gets its picture.
TEST_F(ReadAhead, AnEntryPassedOverAndMovedByASortGetsItsPicture) {
    const std::wstring folder = FolderOfWidths(L"ra-sort", 12);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    for (int i = 0; i < 5; ++i) PostMessageW(window_, WM_COMMAND, IDM_NEXT, 0);
    PostMessageW(window_, WM_COMMAND, IDM_SORT_REV, 0);
    Settle();
    LetItRead();
    EXPECT_EQ(Title(), L"(7/12)p05.bmp");
    EXPECT_EQ(state_->picture.width, 15);
    EXPECT_NE(state_->displayBitmap, nullptr);
}

// Another thread's close, sent while a step runs, waits until the step has
// ended: the step's check for queued steps does not handle it half-way.
DWORD WINAPI SendClose(void* window) {
    SendMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

TEST_F(ReadAhead, ACloseSentDuringAStepIsHandledAfterIt) {
    const std::wstring folder = FolderOfWidths(L"ra-sent", 3);
    Create("", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    HANDLE closer = CreateThread(nullptr, 0, SendClose, window_, 0, nullptr);
    for (int i = 0; i < 5000 && !(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i) Sleep(1);
    // Called directly: nothing has handled the close yet.
    SendMessageW(window_, WM_COMMAND, IDM_NEXT, 0);
    ASSERT_TRUE(IsWindow(window_));
    EXPECT_EQ(state_->picture.width, 11);
    Settle();
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_FALSE(IsWindow(window_));
}

// A decode under way that the window comes to wait for just after it dropped
// it (an open, a delete or a move drops what was read ahead for the old
// place) is used, not done a second time.
TEST(ReadAheadWorker, ADroppedDecodeThatIsThenWaitedForIsUsed) {
    const std::wstring folder = FolderOfWidths(L"ra-wait", 1);
    const std::wstring slow = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\slow.jpg";
    const Settings settings = LoadSettings(Join(folder, L"none.ini").c_str());
    HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ReadAheadWorker* worker = StartReadAheadWorker(sink, WM_APP);
    ASSERT_NE(worker, nullptr);
    QueueReadAhead(worker, {{Join(folder, L"p00.bmp"), settings, L""}, {slow, settings, L""}}, UINT64_MAX);
    // The first one's message: the thread has gone on to the photograph.
    MSG message;
    while (!PeekMessageW(&message, sink, WM_APP, WM_APP, PM_REMOVE)) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_POSTMESSAGE);
    CancelReadAhead(worker);
    WaitForReadAhead(worker, slow, 0, 1);
    int32_t width = 0;
    for (ReadAheadResult* result : TakeFinishedReadAhead(worker)) {
        if (result->path == slow) width = result->picture.width;
        FreeReadAheadResult(result);
    }
    EXPECT_EQ(width, 2400);
    StopReadAheadWorker(worker);
    DestroyWindow(sink);
}

TEST_F(ReadAhead, OffDecodesEveryStepOnTheWindowsThread) {
    const std::wstring folder = FolderOfWidths(L"ra-off", 3);
    Create("[SystemSetting]\r\nReadAhead=OFF\r\n", L"\"" + Join(folder, L"p00.bmp") + L"\"");
    EXPECT_EQ(state_->readAhead, nullptr);
    for (int i = 0; i < 2; ++i) PostMessageW(window_, WM_COMMAND, IDM_NEXT, 0);
    Settle();
    EXPECT_EQ(state_->picture.width, 12);
}

}  // namespace
