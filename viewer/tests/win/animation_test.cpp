// Animations played in a real window: every frame the viewer composes from
// files made by Pillow, ImageMagick and libwebp's tools is checked against the
// frame Pillow composes from the same file; the timing of a 100 ms GIF, delay
// 0, the loop limit, a drag, the step back from frame 0 and its kept canvases,
// the ticks that must not step anything, and hostile files.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

std::wstring AnimFolder() { return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\anim\\"; }

struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // premultiplied blue, green, red, alpha
};

// Pillow's frames of `name` (NAME.frames), premultiplied as the viewer holds them.
std::vector<Frame> PillowFrames(const std::wstring& name) {
    const std::string bytes = ReadWholeFile(AnimFolder() + name + L".frames");
    std::vector<Frame> frames;
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
        return v;
    };
    if (bytes.size() < 4) return frames;
    size_t at = 4;
    for (uint32_t i = 0, n = u32(0); i < n && at + 8 <= bytes.size(); ++i) {
        Frame f;
        f.width = static_cast<int>(u32(at));
        f.height = static_cast<int>(u32(at + 4));
        at += 8;
        for (int p = 0; p < f.width * f.height; ++p, at += 4) {
            const uint32_t r = static_cast<uint8_t>(bytes[at]), g = static_cast<uint8_t>(bytes[at + 1]);
            const uint32_t b = static_cast<uint8_t>(bytes[at + 2]), a = static_cast<uint8_t>(bytes[at + 3]);
            f.pixels.push_back((a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255));
        }
        frames.push_back(f);
    }
    return frames;
}

Frame PixelsOf(HBITMAP bitmap) {
    Frame f;
    BITMAP bm = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm)) return f;
    f.width = bm.bmWidth;
    f.height = bm.bmHeight;
    f.pixels.resize(static_cast<size_t>(f.width) * f.height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = f.width;
    info.bmiHeader.biHeight = -f.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, f.height, f.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return f;
}

// Pixels of `ours` that differ from Pillow's by more than `tolerance` in any
// channel; a fully transparent pixel matches any other fully transparent one.
// Pillow 9.4 keeps a GIF's pixels at the first frame's size when a frame
// reaches beyond it (it reports the larger size but composes the smaller), so
// only the area that both hold is compared.
int Mismatches(const Frame& ours, const Frame& pillow, int tolerance, std::string& first) {
    int bad = 0;
    const int width = std::min(ours.width, pillow.width), height = std::min(ours.height, pillow.height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t a = ours.pixels[static_cast<size_t>(y) * ours.width + x];
            const uint32_t b = pillow.pixels[static_cast<size_t>(y) * pillow.width + x];
            if ((a >> 24) == 0 && (b >> 24) == 0) continue;
            for (int shift = 0; shift < 32; shift += 8) {
                if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
                    tolerance) {
                    if (!bad++) {
                        char text[96];
                        std::snprintf(text, sizeof text, "at %d,%d ours %08X Pillow %08X", x, y, a, b);
                        first = text;
                    }
                    break;
                }
            }
        }
    }
    return bad;
}

class Animation : public ViewerWindowTest {
protected:
    void Open(const std::wstring& name, const std::string& settings = "") {
        Create("[ViewSetting]\r\nWindowWidth=400\r\nWindowHeight=300\r\n[SystemSetting]\r\nShowToolTip=0\r\n" +
                   settings,
               L"\"" + AnimFolder() + name + L"\"");
    }
    int Ticks() const {
        int n = 0;
        for (WORD c : commands_) n += c == IDM_ARC_NEXT;
        return n;
    }
    // Pumps messages until `done` or `milliseconds` have passed.
    template <typename Done>
    void PumpUntil(Done done, DWORD milliseconds) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < milliseconds) PumpMessages(5);
    }
};

TEST_F(Animation, EveryFrameMatchesPillowsComposition) {
    for (const wchar_t* name : {L"disposals.gif", L"first_previous.gif", L"beyond.gif", L"ten.gif", L"cropped.gif",
                                L"shimmer.gif", L"ops.png", L"default.png", L"anim.webp", L"mux.webp"}) {
        SCOPED_TRACE(::testing::Message() << std::string(name, name + lstrlenW(name)));
        const std::vector<Frame> pillow = PillowFrames(name);
        ASSERT_GE(pillow.size(), 2u);
        Open(name);
        ASSERT_EQ(state_->animated, 1);
        // Twice round, so that the second pass starts from an empty canvas too.
        for (size_t i = 0; i < 2 * pillow.size(); ++i) {
            const Frame& expected = pillow[i % pillow.size()];
            EXPECT_EQ(state_->decodeState.subIndex, static_cast<int32_t>(i % pillow.size()));
            const Frame ours = PixelsOf(state_->picture.bitmap);
            ASSERT_GE(ours.width, expected.width) << "frame " << i;
            ASSERT_GE(ours.height, expected.height) << "frame " << i;
            std::string where;
            EXPECT_EQ(Mismatches(ours, expected, 3, where), 0) << "frame " << i << ": " << where;
            Send(WM_COMMAND, IDM_ARC_NEXT);
        }
        // And as a step back rebuilds them, from frame 0 to the last two.
        for (size_t back = 1; back <= 2; ++back) {
            Send(WM_COMMAND, IDM_ARC_PREV);
            const size_t k = pillow.size() - back;
            ASSERT_EQ(state_->decodeState.subIndex, static_cast<int32_t>(k));
            std::string where;
            EXPECT_EQ(Mismatches(PixelsOf(state_->picture.bitmap), pillow[k], 3, where), 0) << "back to " << k << ": "
                                                                                             << where;
        }
    }
}

TEST_F(Animation, AFrameBeyondThePictureEnlargesItAndTheViewRecentres) {
    Open(L"beyond.gif", "[ViewSetting]\r\nFitOut=ON\r\nFitIn=OFF\r\n");
    EXPECT_EQ(state_->picture.width, 40);
    Send(WM_COMMAND, IDM_ARC_NEXT);
    EXPECT_EQ(state_->picture.width, 60);
    EXPECT_EQ(state_->picture.height, 40);
    Settle();
    // The 60 x 40 picture stands in the middle of the client area.
    ClientPixels screen(window_);
    const uint32_t background = screen.At(0, 0);
    RECT box = {screen.width, screen.height, 0, 0};
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            if (screen.At(x, y) == background) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    EXPECT_EQ(box.right - box.left, 60);
    EXPECT_EQ(box.bottom - box.top, 40);
    EXPECT_NEAR(box.left, (screen.width - 60) / 2, 1);
    EXPECT_NEAR(box.top, (screen.height - 40) / 2, 1);
}

TEST_F(Animation, AHundredMillisecondGifShowsAboutTenFramesASecond) {
    Open(L"tenth.gif");
    commands_.clear();
    Send(WM_COMMAND, IDM_GIF_ANIME);
    ASSERT_EQ(state_->animationRunning, 1);
    PumpUntil([] { return false; }, 1500);
    // About fifteen; a busy machine may run a few frames late, never early.
    const int ticks = Ticks();
    EXPECT_GE(ticks, 10);
    EXPECT_LE(ticks, 16);
    Send(WM_COMMAND, IDM_GIF_ANIME);
    EXPECT_EQ(state_->animationRunning, 0);
    const int stopped = Ticks();
    PumpMessages(300);
    EXPECT_EQ(Ticks(), stopped);
}

TEST_F(Animation, ATickDuringADragComesAgainAfterIt) {
    Open(L"tenth.gif");
    Send(WM_COMMAND, IDM_GIF_ANIME);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 30));
    ASSERT_EQ(state_->dragging, 1);
    PumpMessages(300);  // three ticks are due meanwhile
    Send(WM_LBUTTONUP, 0, MAKELPARAM(45, 30));
    const int32_t dropped = state_->decodeState.subIndex;
    PumpUntil([&] { return state_->decodeState.subIndex != dropped; }, 1000);
    EXPECT_NE(state_->decodeState.subIndex, dropped);
    // One press stops it, and the step back is taken.
    Send(WM_COMMAND, IDM_GIF_ANIME);
    EXPECT_EQ(state_->animationRunning, 0);
    const int32_t shown = state_->decodeState.subIndex;
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_EQ(state_->decodeState.subIndex, shown == 0 ? 11 : shown - 1);
}

TEST_F(Animation, DelayZeroIsFollowedAtOnce) {
    Open(L"zero.gif");
    commands_.clear();
    Send(WM_COMMAND, IDM_GIF_ANIME);
    // At once, not at a 100 ms floor as some readers clamp it: that would give
    // five frames at most here, even on a busy machine.
    PumpUntil([] { return false; }, 500);
    EXPECT_GE(Ticks(), 10);
    Send(WM_COMMAND, IDM_GIF_ANIME);
}

TEST_F(Animation, LoopCountStopsOnTheLastFrameAfterTwoPassesAndANewStartPlaysTwoMore) {
    const std::vector<Frame> pillow = PillowFrames(L"loop2.gif");
    ASSERT_EQ(pillow.size(), 3u);
    Open(L"loop2.gif", "LoopCount=ON\r\n");
    for (int start = 0; start < 2; ++start) {
        commands_.clear();
        Send(WM_COMMAND, IDM_GIF_ANIME);
        PumpUntil([&] { return !state_->animationRunning; }, 3000);
        EXPECT_EQ(state_->animationRunning, 0);
        // Frames 1, 2, 0, 1, 2 and the wrap that ends the second pass; a new
        // start begins with frame 0 and counts afresh.
        EXPECT_EQ(Ticks(), start == 0 ? 6 : 7);
        EXPECT_EQ(state_->loopsDone, -1);
        std::string where;
        EXPECT_EQ(Mismatches(PixelsOf(state_->picture.bitmap), pillow[2], 3, where), 0) << where;
    }
    // Without "LoopCount" the same file plays on.
    Open(L"loop2.gif");
    Send(WM_COMMAND, IDM_GIF_ANIME);
    PumpMessages(500);
    EXPECT_EQ(state_->animationRunning, 1);
    Send(WM_COMMAND, IDM_GIF_ANIME);
}

TEST_F(Animation, StepBackFromFrameZeroComposesFramesZeroToNine) {
    const std::vector<Frame> pillow = PillowFrames(L"ten.gif");
    ASSERT_EQ(pillow.size(), 10u);
    Open(L"ten.gif");
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_EQ(state_->decodeState.subIndex, 9);
    std::string where;
    EXPECT_EQ(Mismatches(PixelsOf(state_->picture.bitmap), pillow[9], 3, where), 0) << where;
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_EQ(state_->decodeState.subIndex, 8);
    EXPECT_EQ(Mismatches(PixelsOf(state_->picture.bitmap), pillow[8], 3, where), 0) << where;
    // Not while it plays.
    Send(WM_COMMAND, IDM_GIF_ANIME);
    const int32_t playing = state_->decodeState.subIndex;
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_NE(state_->decodeState.subIndex, playing - 1);
    Send(WM_COMMAND, IDM_GIF_ANIME);
}

// Frame k of "pixels.gif" has drawn pixels 0 to k of its 50 x 40 canvas, one
// each, red, green and blue in turn.
void ExpectPixelsUpTo(HBITMAP bitmap, int32_t k) {
    const Frame ours = PixelsOf(bitmap);
    ASSERT_EQ(ours.width, k < 50 ? k + 1 : 50);
    ASSERT_EQ(ours.height, k / 50 + 1);
    int bad = 0;
    for (int y = 0; y < ours.height; ++y) {
        for (int x = 0; x < ours.width; ++x) {
            const int i = y * 50 + x;
            const uint32_t expected = i > k ? 0 : i % 3 == 0 ? 0xFFFF0000u : i % 3 == 1 ? 0xFF00FF00u : 0xFF0000FFu;
            const uint32_t pixel = ours.pixels[static_cast<size_t>(y) * ours.width + x];
            bad += expected == 0 ? (pixel >> 24) != 0 : pixel != expected;
        }
    }
    EXPECT_EQ(bad, 0) << "frame " << k;
}

TEST_F(Animation, StepsBackThroughTwoThousandFramesFromKeptCanvases) {
    Open(L"pixels.gif");
    Send(WM_COMMAND, IDM_ARC_PREV);
    ASSERT_EQ(state_->decodeState.subIndex, 1999);
    ExpectPixelsUpTo(state_->picture.bitmap, 1999);
    for (int32_t k = 1998; k >= 1930; --k) {
        Send(WM_COMMAND, IDM_ARC_PREV);
        ASSERT_EQ(state_->decodeState.subIndex, k);
        if (k % 17 == 0) ExpectPixelsUpTo(state_->picture.bitmap, k);
    }
    Send(WM_COMMAND, IDM_ARC_NEXT);
    ExpectPixelsUpTo(state_->picture.bitmap, 1931);
}

TEST_F(Animation, AKeyWaitingCutsALongStepBackShortAndLeavesThePicture) {
    Open(L"many.gif");
    const HBITMAP shown = state_->picture.bitmap;
    // A key pressed as a user presses it, waiting in the window's queue.
    SetForegroundWindow(window_);
    SetFocus(window_);
    INPUT key[2] = {};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = VK_SHIFT;
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, key, sizeof(INPUT)), 2u);
    const DWORD began = GetTickCount();
    while (!HIWORD(GetQueueStatus(QS_KEY)) && GetTickCount() - began < 2000) Sleep(10);
    ASSERT_NE(HIWORD(GetQueueStatus(QS_KEY)), 0);
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_EQ(state_->decodeState.subIndex, 0);
    EXPECT_EQ(state_->picture.bitmap, shown);
    // With the key taken, the step back runs to the last frame.
    Settle();
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_EQ(state_->decodeState.subIndex, 399999);
    EXPECT_EQ(state_->picture.width, 100);
}

// GIF87a allows a file without any colour table; NEXT onto one shows it.
TEST_F(Animation, AGifWithoutColourTablesIsShownAsAnyOther) {
    const std::wstring folder = FolderOfPictures(L"notables", {L"a.jpg"});
    for (const wchar_t* name : {L"no_tables.gif", L"no_tables2.gif"}) {
        ASSERT_TRUE(CopyFileW((AnimFolder() + name).c_str(), Join(folder, L"b.gif").c_str(), FALSE));
        Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
        Send(WM_COMMAND, IDM_NEXT);
        Settle();
        EXPECT_EQ(Title(), L"(2/2)b.gif") << name;
        ASSERT_NE(state_->picture.bitmap, nullptr) << name;
        EXPECT_EQ(state_->picture.width, 1) << name;
    }
}

TEST_F(Animation, ATickThatComesWhenNothingPlaysStepsNothing) {
    Open(L"ten.gif");
    Send(WM_COMMAND, IDM_ARC_NEXT, 1);
    EXPECT_EQ(state_->decodeState.subIndex, 0);
    // The canvas goes with the load of another entry, still or animated.
    ASSERT_NE(state_->frameCanvas, nullptr);
    Create("", L"\"" + PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg\"");
    EXPECT_EQ(state_->frameCanvas, nullptr);
    EXPECT_EQ(state_->animated, 0);
}

// As a user meets them, in a process of its own: a GIF frame placed at
// (23169, 23169), later and first, and a WebP canvas of 32,767 x 32,767 would
// each take gigabytes; stepped through, the process stays under 1 GB.
TEST(HostileCanvas, PeakMemoryStaysUnderOneGigabyte) {
    for (const wchar_t* name : {L"far_later.gif", L"far_first.gif", L"big_canvas.webp"}) {
        const std::wstring folder = MakeScratchFolder(L"canvas");
        const std::wstring exe = InstallOxel(folder, "[SystemSetting]\r\nShowToolTip=0\r\n");
        ASSERT_TRUE(CopyFileW((AnimFolder() + name).c_str(), (folder + L"\\" + name).c_str(), FALSE));
        ChildProcess child;
        ASSERT_TRUE(StartProcess(L"\"" + exe + L"\" \"" + folder + L"\\" + name + L"\"", child));
        HWND window = WaitForWindowOf(child.id, L"Oxel", 30000);
        ASSERT_NE(window, nullptr);
        for (WORD command : {IDM_ARC_NEXT, IDM_ARC_NEXT, IDM_ARC_NEXT, IDM_ARC_NEXT, IDM_ARC_PREV, IDM_ARC_PREV}) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, WM_COMMAND, command, 0, SMTO_NORMAL, 30000, &ignored);
        }
        PROCESS_MEMORY_COUNTERS counters = {};
        ASSERT_TRUE(GetProcessMemoryInfo(child.process, &counters, sizeof counters));
        EXPECT_LT(counters.PeakPagefileUsage, size_t{1} << 30) << std::string(name, name + lstrlenW(name));
    }
}

TEST_F(Animation, AnimeOffStepsFramesAsPlainPictures) {
    Open(L"disposals.gif", "Anime=OFF\r\n");
    EXPECT_EQ(state_->animated, 0);
    Send(WM_COMMAND, IDM_ARC_NEXT);
    EXPECT_EQ(state_->decodeState.subIndex, 1);
    // Frame 1 alone: the red square that Pillow cropped it to.
    EXPECT_LT(state_->picture.width, 60);
    EXPECT_EQ(state_->frameCanvas, nullptr);
}

}  // namespace
