// Stepping through a real window's list with commands: the ends of the list,
// an entry that no decoder reads, the slideshow across the last entries and
// what ends it, zoom and turn of a known picture, and the destination folder
// of move and copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

class Navigation : public ViewerWindowTest {
protected:
    HICON SmallIcon() { return reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0)); }
    HICON ProgramIcon() {
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"OxelICON_SM", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXSMICON),
                                             LR_SHARED));
    }
};

TEST_F(Navigation, TheListDoesNotWrapAround) {
    std::wstring folder = FolderOfPictures(L"ends", {L"a.jpg", L"b.jpg", L"c.jpg"});
    Create("", L"\"" + Join(folder, L"c.jpg") + L"\"");
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(state_->currentIndex, 2);
    Send(WM_COMMAND, IDM_PREV);
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->currentIndex, 0);
    EXPECT_EQ(Title(), L"(1/3)a.jpg");
    ASSERT_NE(state_->picture.bitmap, nullptr);
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->currentIndex, 0);

    std::wstring single = FolderOfPictures(L"one", {L"only.jpg"});
    Create("", L"\"" + Join(single, L"only.jpg") + L"\"");
    HBITMAP shown = state_->picture.bitmap;
    Send(WM_COMMAND, IDM_NEXT);
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->currentIndex, 0);
    EXPECT_EQ(state_->picture.bitmap, shown);  // not decoded again
}

TEST_F(Navigation, AnUnreadableEntryIsShownAndTheNextStepGoesOn) {
    std::wstring folder = FolderOfPictures(L"text", {L"a.jpg", L"c.jpg"});
    WriteWholeFile(Join(folder, L"b.png"), "not a picture at all\r\n");
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(Title(), L"(2/3)b.png");
    EXPECT_EQ(state_->picture.width, -2);
    EXPECT_EQ(state_->picture.bitmap, nullptr);
    EXPECT_EQ(state_->displayBitmap, nullptr);
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(Title(), L"(3/3)c.jpg");
    EXPECT_NE(state_->displayBitmap, nullptr);
}

TEST_F(Navigation, SlideShowFromTheEighthOfTenRunsToTheEndAndStops) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 10; ++i) names.push_back(L"p" + std::to_wstring(i) + L".jpg");
    std::wstring folder = FolderOfPictures(L"ten", names);
    Create("[SystemSetting]\r\nSlideShowInterval=1\r\n", L"\"" + Join(folder, L"p7.jpg") + L"\"");
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    ASSERT_EQ(state_->settings.slideShowOn, 1);
    EXPECT_NE(SmallIcon(), ProgramIcon());
    // Stepping, zooming and turning by hand leave it running.
    Send(WM_COMMAND, IDM_ZOOM_UP);
    Send(WM_COMMAND, IDM_ROTATE_R);
    Send(WM_COMMAND, IDM_ROTATE_L);
    EXPECT_EQ(state_->settings.slideShowOn, 1);
    std::vector<int32_t> seen;
    for (int i = 0; i < 40 && state_->settings.slideShowOn; ++i) {
        PumpMessages(100);
        if (seen.empty() || seen.back() != state_->currentIndex) seen.push_back(state_->currentIndex);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{7, 8, 9}));
    EXPECT_EQ(state_->settings.slideShowOn, 0);
    EXPECT_EQ(SmallIcon(), ProgramIcon());
}

TEST_F(Navigation, FileCommandsAndSortingEndTheSlideShow) {
    std::wstring folder = FolderOfPictures(L"stoppers", {L"a.jpg", L"b.jpg", L"c.jpg"});
    Create("[SystemSetting]\r\nSlideShowInterval=60\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    // Stepping by hand does not end it.
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    Send(WM_COMMAND, IDM_NEXT);
    Send(WM_COMMAND, IDM_ARC_NEXT);
    Send(WM_COMMAND, IDM_PREV);
    EXPECT_EQ(state_->settings.slideShowOn, 1);
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    for (WORD command : {IDM_PRINT, IDM_SAVE_IMAGE, IDM_DELETE, IDM_MOVE, IDM_COPY, IDM_SORT_NAME, IDM_SORT_EXT,
                         IDM_SORT_TYPE, IDM_SORT_SIZE, IDM_SORT_CREATE, IDM_SORT_WRITE, IDM_SORT_REV}) {
        Send(WM_COMMAND, IDM_SLIDE_SHOW);
        ASSERT_EQ(state_->settings.slideShowOn, 1) << command;
        Send(WM_COMMAND, command);
        EXPECT_EQ(state_->settings.slideShowOn, 0) << command;
        EXPECT_EQ(SmallIcon(), ProgramIcon()) << command;
    }
    // The picture is still there after deleting one of three and a cancelled move.
    EXPECT_NE(state_->picture.bitmap, nullptr);
}

TEST_F(Navigation, ZoomFromResetIsOneStepAndFourLeftTurnsGiveThePictureBack) {
    std::wstring folder = MakeFolderWith(L"hundred", {});
    const std::wstring picture = Join(folder, L"square.bmp");
    // 100 x 100, a distinct colour in each quarter, written byte by byte.
    std::string bmp(54 + 100 * 100 * 4, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 100);
    put32(22, 100);
    bmp[26] = 1;
    bmp[28] = 32;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            const uint32_t colour = (x < 50 ? 0x00C00000u : 0x0000C000u) | (y < 50 ? 0x40u : 0x80u);
            put32(54 + (y * 100 + x) * 4, colour | 0xFF000000u);
        }
    }
    WriteWholeFile(picture, bmp);
    Create("[SystemSetting]\r\nZoomStep=25\r\n[ViewSetting]\r\nFitOut=OFF\r\nFitIn=OFF\r\nFitWidth=OFF\r\n",
           L"\"" + picture + L"\"");
    Send(WM_COMMAND, IDM_ZOOM_RESET);
    Send(WM_COMMAND, IDM_ZOOM_UP);
    EXPECT_EQ(state_->settings.zoomPercent, 125);
    // On screen, once the paints are done: 125 x 125 pixels that are not the
    // background.
    Settle();
    ClientPixels screen(window_);
    const uint32_t background = screen.At(0, 0);
    RECT whole = {0, 0, screen.width, screen.height};
    const size_t shown = static_cast<size_t>(screen.width) * screen.height - screen.Count(whole, background);
    EXPECT_EQ(shown, 125u * 125u);

    auto pixels = [&] {
        std::vector<uint32_t> out(100 * 100);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 100;
        info.bmiHeader.biHeight = -100;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, state_->displayBitmap, 0, 100, out.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        return out;
    };
    const std::vector<uint32_t> first = pixels();
    Send(WM_COMMAND, IDM_ROTATE_L);
    EXPECT_NE(pixels(), first);
    for (int i = 0; i < 3; ++i) Send(WM_COMMAND, IDM_ROTATE_L);
    EXPECT_EQ(state_->settings.rotation, 0);
    EXPECT_EQ(pixels(), first);
}

TEST_F(Navigation, SuperOxelZoomsAtEverySubImageStep) {
    std::wstring folder = FolderOfPictures(L"super", {L"a.jpg", L"b.jpg"});
    Create("[SystemSetting]\r\nSuperOxel=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    for (int i = 0; i < 8; ++i) {
        commands_.clear();
        Send(WM_COMMAND, IDM_ARC_NEXT);
        ASSERT_GE(commands_.size(), 2u);
        EXPECT_EQ(commands_[0], IDM_ARC_NEXT);
        EXPECT_TRUE(commands_[1] == IDM_ZOOM_UP || commands_[1] == IDM_ZOOM_DOWN) << commands_[1];
        for (size_t k = 2; k < commands_.size(); ++k) {
            EXPECT_TRUE(commands_[k] == IDM_ROTATE_L || commands_[k] == IDM_ROTATE_R) << commands_[k];
        }
    }
    EXPECT_NE(state_->picture.bitmap, nullptr);
}

TEST_F(Navigation, MoveOffersTheFolderKeptByMemorizeFolder) {
    std::wstring folder = FolderOfPictures(L"memorize", {L"a.jpg", L"b.jpg"});
    Create("[SystemSetting]\r\nMemorizeFolder=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    Send(WM_COMMAND, IDM_MOVE);
    EXPECT_EQ(std::wstring(state_->destinationFolder), folder);
    // As if the folder dialog had chosen another folder the first time.
    lstrcpyW(state_->destinationFolder, L"C:\\chosen");
    Send(WM_COMMAND, IDM_MOVE);
    EXPECT_EQ(std::wstring(state_->destinationFolder), L"C:\\chosen");

    Create("[SystemSetting]\r\nMemorizeFolder=OFF\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    lstrcpyW(state_->destinationFolder, L"C:\\chosen");
    Send(WM_COMMAND, IDM_COPY);
    EXPECT_EQ(std::wstring(state_->destinationFolder), folder);
}

}  // namespace
