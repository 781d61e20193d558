// The main window started on real files shows them: a bundled sample fitted
// and centred with its position in the title, and a text file named .png as
// the status display with its icon, message and type name. Pixels are read
// back from the painted window.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "decode_test_support.h"
#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/fileops/file_information.h"
#include "viewer/display/rotate.h"
#include "viewer/display/view_geometry.h"
#include "viewer_window.h"

namespace {

int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

std::string SettingsText(bool english) {
    return std::string("[SystemSetting]\r\nEnglish=") + (english ? "ON" : "OFF") +
           "\r\n[ViewSetting]\r\nWindowMode=ON\r\nWindowLeft=0\r\nWindowTop=0\r\nWindowWidth=640\r\n"
           "WindowHeight=480\r\nWindowBGColor=BLACK\r\nFontColor=WHITE\r\nFitOut=ON\r\nFitIn=OFF\r\n"
           "FitWidth=OFF\r\n";
}

class ShowPicture : public ViewerWindowTest {};

TEST_F(ShowPicture, BundledSampleIsFittedAndCentred) {
    const std::wstring sample = PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg";
    Create(SettingsText(true), L"\"" + sample + L"\"");
    Settle();
    ASSERT_NE(state_->displayBitmap, nullptr);
    EXPECT_EQ(state_->picture.width, 800);
    EXPECT_EQ(state_->picture.height, 533);
    EXPECT_EQ(state_->picture.bitsPerPixel, 24);
    EXPECT_EQ(Title(), L"(1/" + std::to_wstring(state_->lastListIndex + 1) + L")01-dawn.jpg");
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);

    ClientPixels pixels(window_);
    ASSERT_GT(pixels.width, 100);
    ViewOptions fitOut = {1, 0, 0, 100, 0, 1};
    ViewSize view = ComputeViewSize(800, 533, pixels.width, pixels.height, fitOut);
    const int left = (pixels.width - view.width) / 2;
    const int top = (pixels.height - view.height) / 2;
    // The picture fills its rectangle; the rest of the client is background.
    RECT picture = {left, top, left + view.width, top + view.height};
    EXPECT_LT(pixels.Count(picture, 0x000000), Area(picture) / 100);
    RECT before = {0, 0, left, pixels.height};
    RECT above = {0, 0, pixels.width, top};
    RECT after = {left + view.width, 0, pixels.width, pixels.height};
    EXPECT_EQ(pixels.Count(before, 0x000000), Area(before));
    EXPECT_EQ(pixels.Count(above, 0x000000), Area(above));
    EXPECT_EQ(pixels.Count(after, 0x000000), Area(after));
    EXPECT_TRUE(left > 0 || top > 0);  // letterboxed on one axis
}

TEST_F(ShowPicture, ViewCommandsTurnZoomAndFit) {
    const std::wstring sample = PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg";
    Create(SettingsText(true), L"\"" + sample + L"\"");
    auto displaySize = [&] {
        BITMAP bm = {};
        GetObjectW(state_->displayBitmap, sizeof(bm), &bm);
        return std::make_pair(static_cast<int>(bm.bmWidth), static_cast<int>(bm.bmHeight));
    };
    ASSERT_EQ(displaySize(), std::make_pair(800, 533));
    Send(WM_COMMAND, 270);  // ROTATE_R
    EXPECT_EQ(state_->settings.rotation, 90);
    EXPECT_EQ(displaySize(), std::make_pair(533, 800));
    Send(WM_COMMAND, 260);  // ROTATE_L
    Send(WM_COMMAND, 260);
    EXPECT_EQ(state_->settings.rotation, 270);
    EXPECT_EQ(displaySize(), std::make_pair(533, 800));
    Send(WM_COMMAND, 270);
    EXPECT_EQ(state_->settings.rotation, 0);
    EXPECT_EQ(displaySize(), std::make_pair(800, 533));

    Send(WM_COMMAND, 240);  // ZOOM_UP
    EXPECT_EQ(state_->settings.zoomPercent, 125);
    Send(WM_COMMAND, 250);  // ZOOM_RESET
    EXPECT_EQ(state_->settings.zoomPercent, 100);

    // FitOut off: the 800-pixel picture no longer fits the 640-pixel window.
    Send(WM_COMMAND, 210);
    Settle();
    EXPECT_EQ(state_->settings.FitOut, 0);
    EXPECT_NE(GetWindowLongW(window_, GWL_STYLE) & WS_HSCROLL, 0);
    // Storing the bars during the paint must not ask for another paint, or
    // the window would paint for ever.
    EXPECT_FALSE(GetUpdateRect(window_, nullptr, FALSE));
    const int start = state_->hScroll.nPos;
    Send(WM_COMMAND, 570);  // ScrollRight
    Settle();
    EXPECT_EQ(state_->hScroll.nPos, start + state_->settings.ScrollDot);
    Send(WM_COMMAND, 620);  // ScrollLeftmost
    Settle();
    EXPECT_EQ(state_->hScroll.nPos, 0);
    Send(WM_COMMAND, 210);
    Settle();
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

TEST_F(ShowPicture, TextNamedPngShowsUnsupportedWithIconAndType) {
    for (bool english : {true, false}) {
        const std::wstring folder = MakeFolderWith(english ? L"notes-en" : L"notes-ja", {L"notes.png"});
        Create(SettingsText(english), L"\"" + Join(folder, L"notes.png") + L"\"");
        Settle();
        EXPECT_EQ(state_->picture.width, -2);
        EXPECT_EQ(state_->displayBitmap, nullptr);
        EXPECT_EQ(Title(), L"(1/1)notes.png");

        ClientPixels pixels(window_);
        const int cx = pixels.width / 2, cy = pixels.height / 2;
        RECT icon = {(pixels.width - 32) / 2, (pixels.height - 32) / 2, (pixels.width + 32) / 2,
                     (pixels.height + 32) / 2};
        RECT message = {0, icon.top - 24, pixels.width, icon.top - 4};
        RECT type = {0, icon.bottom + 4, pixels.width, icon.bottom + 24};
        RECT top = {0, 0, pixels.width, icon.top - 30};
        EXPECT_LT(pixels.Count(icon, 0x000000), Area(icon)) << "no icon at " << cx << "," << cy;
        EXPECT_GT(pixels.Count(message, 0xFFFFFF), 10) << "no message, English " << english;
        EXPECT_GT(pixels.Count(type, 0xFFFFFF), 10) << "no type name, English " << english;
        EXPECT_EQ(pixels.Count(top, 0x000000), Area(top));
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

TEST_F(ShowPicture, LargePictureOpensPaintsTurnsAndZooms) {
    const std::wstring huge = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\huge.png";
    Create(SettingsText(true), L"\"" + huge + L"\"");
    ASSERT_NE(state_->picture.bitmap, nullptr);
    EXPECT_EQ(state_->picture.width, 8000);
    // At no turn the decoded picture is painted itself: no second copy.
    EXPECT_EQ(state_->displayBitmap, state_->picture.bitmap);
    auto shows = [&] {
        Settle();
        ClientPixels pixels(window_);
        const uint32_t centre = pixels.At(pixels.width / 2, pixels.height / 2);
        return centre != 0x000000 && centre != 0xFFFFFF;  // picture, not background or text
    };
    EXPECT_TRUE(shows());
    Send(WM_COMMAND, IDM_ROTATE_R);
    ASSERT_NE(state_->displayBitmap, nullptr);
    EXPECT_NE(state_->displayBitmap, state_->picture.bitmap);
    EXPECT_TRUE(shows());
    Send(WM_COMMAND, IDM_ZOOM_UP);
    EXPECT_TRUE(shows());
    Send(WM_COMMAND, IDM_ROTATE_L);
    EXPECT_EQ(state_->displayBitmap, state_->picture.bitmap);
    EXPECT_TRUE(shows());
}

TEST_F(ShowPicture, PicturePastThePixelLimitIsShownReducedAndTellsItsOwnSize) {
    const std::wstring giant =
        PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\giant\\giant.png";
    Create(SettingsText(true), L"\"" + giant + L"\"");
    const DecodedPicture& picture = state_->picture;
    ASSERT_NE(picture.bitmap, nullptr);
    EXPECT_EQ(picture.width, 8192);
    EXPECT_EQ(picture.height, 8192);
    // Its grey quarters stay where they were.
    EXPECT_EQ(PixelAt(picture.bitmap, 6144, 2048), 0xC8C8C8u);
    EXPECT_EQ(PixelAt(picture.bitmap, 2048, 6144), 0x787878u);
    // The file's own size, and what it is shown at.
    const std::wstring information = BuildInformationText(state_->settings, &picture, giant.c_str());
    const size_t line = information.find(L"\n30000x30000x");
    EXPECT_NE(line, std::wstring::npos) << information;
    EXPECT_NE(information.find(L"KB (shown reduced to 8192x8192)\n", line), std::wstring::npos) << information;
    wchar_t item[128] = {};
    GetMenuStringW(state_->menuBar, IDM_INFO, item, 128, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"30000x30000 (reduced)");

    // Fitted, the quarters lie in the quarters of the square it is drawn in.
    Settle();
    {
        ClientPixels pixels(window_);
        const int side = std::min(pixels.width, pixels.height);
        const int left = (pixels.width - side) / 2, top = (pixels.height - side) / 2;
        EXPECT_EQ(pixels.At(left + side / 4, top + side / 4), 0x282828u);
        EXPECT_EQ(pixels.At(left + side * 3 / 4, top + side * 3 / 4), 0xFAFAFAu);
    }
    // Zoom works on the reduced picture: enlarged past the window, it scrolls.
    Send(WM_COMMAND, IDM_FIT_OUT);
    Send(WM_COMMAND, IDM_ZOOM_UP);
    EXPECT_EQ(state_->settings.zoomPercent, 125);
    Send(WM_COMMAND, 620);  // ScrollLeftmost
    Settle();
    EXPECT_EQ(state_->hScroll.nMax + 1, 8192 * 125 / 100);
    EXPECT_EQ(state_->hScroll.nPos, 0);
    ClientPixels pixels(window_);
    const uint32_t centre = pixels.At(pixels.width / 2, pixels.height / 2);
    EXPECT_TRUE(centre == 0x282828u || centre == 0x787878u) << std::hex << centre;  // a left quarter
}

TEST_F(ShowPicture, APictureThatCannotBeTurnedSaysSoInsteadOfAnEmptyWindow) {
    const std::wstring sample = PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg";
    Create(SettingsText(true), L"\"" + sample + L"\"");
    // As when the turned copy could not be allocated.
    state_->displayBitmap = nullptr;
    InvalidateRect(window_, nullptr, FALSE);
    Settle();
    ClientPixels pixels(window_);
    RECT whole = {0, 0, pixels.width, pixels.height};
    EXPECT_GT(pixels.Count(whole, 0xFFFFFF), 20);  // the status text in white
    state_->displayBitmap = state_->picture.bitmap;
}

// A paint during which the window is resized, as a scroll bar that comes or
// goes does: the bitmap being drawn must stay the same until the paint ends.
WNDPROC g_viewerProc = nullptr;
bool g_bitmapKeptThroughPaint = true;
LRESULT CALLBACK ResizeDuringPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return CallWindowProcW(g_viewerProc, window, message, wParam, lParam);
    // A mark in the decoded pixels shows whether they were decoded again (a
    // new bitmap may well get the old handle).
    ViewerState* state = GetViewerState(window);
    auto firstPixel = [&]() -> uint32_t* {
        DIBSECTION dib = {};
        if (GetObjectW(state->picture.bitmap, sizeof(dib), &dib) != sizeof(dib)) return nullptr;
        GdiFlush();
        return static_cast<uint32_t*>(dib.dsBm.bmBits);
    };
    uint32_t* mark = firstPixel();
    if (mark) *mark = 0x12345678;
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + 17, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    mark = firstPixel();
    g_bitmapKeptThroughPaint = g_bitmapKeptThroughPaint && mark && *mark == 0x12345678;
    return CallWindowProcW(g_viewerProc, window, message, wParam, lParam);
}

TEST_F(ShowPicture, ReloadByResizeNeverDecodesInsideAPaint) {
    const std::wstring sample = PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg";
    std::string settings = SettingsText(true);
    settings.insert(settings.find('\n') + 1, "ReloadByResize=ON\r\n");
    Create(settings, L"\"" + sample + L"\"");
    ASSERT_EQ(state_->settings.ReloadByResize, 1);
    HBITMAP first = state_->picture.bitmap;
    ASSERT_NE(first, nullptr);
    g_bitmapKeptThroughPaint = true;
    g_viewerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResizeDuringPaint)));
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_viewerProc));
    EXPECT_TRUE(g_bitmapKeptThroughPaint);
    // Once the paint is done, the new size is decoded, and the mark is gone.
    Settle();
    ASSERT_NE(state_->picture.bitmap, nullptr);
    EXPECT_EQ(state_->reloadPending, 0);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectW(state_->picture.bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_NE(*static_cast<const uint32_t*>(dib.dsBm.bmBits), 0x12345678u);
}

}  // namespace
