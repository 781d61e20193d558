// Rotation of the display bitmap, and the client area painted by a real
// window with real scroll bars into a memory picture whose pixels are read
// back: fit modes, scroll bars and their opening positions, alpha blending,
// the interpolated path and the status display.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_file.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/display/draw_picture.h"
#include "viewer/display/rotate.h"
#include "viewer/display/view_scroll.h"
#include "viewer/imaging/wic_decode.h"

namespace {

// A 32-bit top-down section whose pixels the test reads and writes directly.
struct Section {
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;
    Section(int w, int h) : width(w), height(h) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateTopDownSection(screen, w, h, reinterpret_cast<void**>(&bits));
        ReleaseDC(nullptr, screen);
    }
    explicit Section(HBITMAP adopted) : bitmap(adopted) {
        DIBSECTION dib = {};
        if (GetObjectW(adopted, sizeof(dib), &dib) == sizeof(dib)) {
            bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
            width = dib.dsBm.bmWidth;
            height = dib.dsBm.bmHeight;
        }
    }
    ~Section() {
        if (bitmap) DeleteObject(bitmap);
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    uint32_t& At(int x, int y) { return bits[y * width + x]; }
    void Fill(uint32_t pixel) {
        for (int i = 0; i < width * height; ++i) bits[i] = pixel;
    }
};

// Every pixel tells where it came from.
uint32_t Marker(int x, int y) { return 0xFF000000u | (static_cast<uint32_t>(x) << 12) | static_cast<uint32_t>(y); }

TEST(RotateBitmap, QuarterTurnIsClockwise) {
    Section source(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) source.At(x, y) = Marker(x, y);
    for (int rotation : {0, 90, 180, 270}) {
        Section turned(RotateBitmap(nullptr, source.bitmap, 300, 200, rotation));
        ASSERT_NE(turned.bitmap, nullptr) << rotation;
        GdiFlush();
        const bool quarter = rotation == 90 || rotation == 270;
        ASSERT_EQ(turned.width, quarter ? 200 : 300);
        ASSERT_EQ(turned.height, quarter ? 300 : 200);
        int wrong = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 300; ++x) {
                int tx = x, ty = y;
                if (rotation == 90) tx = 199 - y, ty = x;
                if (rotation == 180) tx = 299 - x, ty = 199 - y;
                if (rotation == 270) tx = y, ty = 299 - x;
                if (turned.At(tx, ty) != Marker(x, y) && ++wrong < 5) {
                    ADD_FAILURE() << rotation << ": source " << x << "," << y << " not at " << tx << "," << ty
                                  << " which holds " << (turned.At(tx, ty) >> 12 & 0xFFF) << ","
                                  << (turned.At(tx, ty) & 0xFFF);
                }
            }
        }
        EXPECT_EQ(wrong, 0) << rotation;
    }
    EXPECT_EQ(RotateBitmap(nullptr, nullptr, 300, 200, 90), nullptr);
}

TEST(RotateBitmap, TiledTurnOfAWidePictureIsExact) {
    // Three tile columns (1000, 1000, 500) and two tile rows (1000, 200).
    const int w = 2500, h = 1200;
    Section source(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) source.At(x, y) = Marker(x, y);
    for (int rotation : {90, 270}) {
        Section turned(RotateBitmap(nullptr, source.bitmap, w, h, rotation));
        ASSERT_NE(turned.bitmap, nullptr);
        GdiFlush();
        ASSERT_EQ(turned.width, h);
        ASSERT_EQ(turned.height, w);
        int wrong = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int tx = rotation == 90 ? h - 1 - y : y;
                int ty = rotation == 90 ? x : w - 1 - x;
                if (turned.At(tx, ty) != Marker(x, y)) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << rotation;
    }
}

// A real top-level window whose client area is exactly `cw` × `ch` before any
// scroll bar appears.
class PaintTest : public ::testing::Test {
protected:
    ComApartment com;
    HWND window = nullptr;
    Settings settings = {};
    SCROLLINFO vertical = {};
    SCROLLINFO horizontal = {};
    const uint32_t background = 0x00203040;  // COLORREF: red 0x40, green 0x30, blue 0x20

    void SetUp() override {
        std::wstring ini = MakeScratchFolder(L"paint") + L"\\none.ini";
        settings = LoadSettings(ini.c_str());
        settings.WindowMode = 1;
        settings.WindowBGColor = static_cast<int32_t>(background);
        settings.FontColor = 0x00FFFFFF;
        settings.FitOut = settings.FitIn = settings.FitWidth = 0;
        settings.BaseCentral = 1;
        settings.Liner = 0;
        settings.zoomPercent = 100;
        settings.rotation = 0;
        vertical.cbSize = horizontal.cbSize = sizeof(SCROLLINFO);
        vertical.fMask = horizontal.fMask = SIF_ALL;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OxelPaintTest";
        RegisterClassW(&wc);
        RECT r = {0, 0, 800, 600};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        window = CreateWindowW(L"OxelPaintTest", L"paint", WS_OVERLAPPEDWINDOW, 0, 0, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        RECT client;
        GetClientRect(window, &client);
        ASSERT_EQ(client.right, 800);
        ASSERT_EQ(client.bottom, 600);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }

    // Paints `bitmap` (the display bitmap) as a picture of its size into a
    // memory picture of the client size; returns that picture.
    std::unique_ptr<Section> Paint(HBITMAP bitmap, int pictureWidth, int pictureHeight, bool premultiplied,
                                   bool reset = true) {
        DecodedPicture picture = {};
        picture.width = pictureWidth;
        picture.height = pictureHeight;
        picture.bitsPerPixel = 32;
        picture.premultipliedAlpha = premultiplied;
        return PaintPicture(bitmap, picture, reset);
    }

    std::unique_ptr<Section> PaintPicture(HBITMAP bitmap, const DecodedPicture& picture, bool reset = true,
                                          const wchar_t* path = L"C:\\pictures\\a.png") {
        // The bars change the client size; paint into a picture of the final size.
        PaintRequest request = {bitmap, &picture, path, 0, L"(1/1)a.png", reset};
        UpdateScrollBars(window, bitmap ? picture.width : 0, bitmap ? picture.height : 0, settings);
        RECT client;
        GetClientRect(window, &client);
        auto out = std::make_unique<Section>(client.right, client.bottom);
        out->Fill(0x12345678);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, out->bitmap);
        SetTextColor(memory, static_cast<COLORREF>(settings.FontColor));
        SetBkMode(memory, TRANSPARENT);
        PaintClient(window, memory, request, settings, vertical, horizontal);
        GdiFlush();
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return out;
    }

    // The background as the section holds it (blue, green, red order).
    uint32_t BackgroundPixel() const {
        return (background & 0xFF) << 16 | (background & 0xFF00) | (background >> 16 & 0xFF);
    }
    bool HasBar(DWORD bit) const { return (GetWindowLongW(window, GWL_STYLE) & bit) != 0; }
};

// Counts the pixels of `rect` that equal `pixel` (alpha ignored).
int Count(Section& s, const RECT& rect, uint32_t pixel) {
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) n += ((s.At(x, y) ^ pixel) & 0xFFFFFF) == 0;
    return n;
}

int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

TEST_F(PaintTest, FitInFillsTheHeightCentred) {
    Section picture(100, 100);
    picture.Fill(0xFFC00000);  // opaque red
    settings.FitIn = 1;
    auto out = Paint(picture.bitmap, 100, 100, true);
    RECT square = {100, 0, 700, 600};
    EXPECT_EQ(Count(*out, square, 0xC00000), Area(square));
    RECT left = {0, 0, 100, 600}, right = {700, 0, 800, 600};
    EXPECT_EQ(Count(*out, left, BackgroundPixel()), Area(left));
    EXPECT_EQ(Count(*out, right, BackgroundPixel()), Area(right));
    EXPECT_FALSE(HasBar(WS_VSCROLL));
    EXPECT_FALSE(HasBar(WS_HSCROLL));
}

TEST_F(PaintTest, NoFitDrawsTheOwnSizeCentred) {
    Section picture(100, 100);
    picture.Fill(0xFF00C000);
    auto out = Paint(picture.bitmap, 100, 100, true);
    RECT square = {350, 250, 450, 350};
    EXPECT_EQ(Count(*out, square, 0x00C000), Area(square));
    RECT all = {0, 0, 800, 600};
    EXPECT_EQ(Count(*out, all, BackgroundPixel()), Area(all) - Area(square));
}

TEST_F(PaintTest, FitOutFillsTheClientWithoutBars) {
    Section picture(4000, 3000);
    picture.Fill(0xFF0000C0);
    settings.FitOut = 1;
    auto out = Paint(picture.bitmap, 4000, 3000, true);
    EXPECT_FALSE(HasBar(WS_VSCROLL));
    EXPECT_FALSE(HasBar(WS_HSCROLL));
    RECT all = {0, 0, 800, 600};
    EXPECT_EQ(Count(*out, all, 0x0000C0), Area(all));
}

TEST_F(PaintTest, LargePictureWithoutFitGetsBothBarsAndOpensAtItsCentre) {
    Section picture(4000, 3000);
    for (int y = 0; y < 3000; ++y)
        for (int x = 0; x < 4000; ++x) picture.At(x, y) = Marker(x, y);
    auto out = Paint(picture.bitmap, 4000, 3000, true);
    ASSERT_TRUE(HasBar(WS_VSCROLL));
    ASSERT_TRUE(HasBar(WS_HSCROLL));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(vertical.nPos, (3000 - client.bottom) / 2);
    EXPECT_EQ(horizontal.nPos, (4000 - client.right) / 2);
    // The bar holds what the program holds.
    SCROLLINFO bar = {};
    bar.cbSize = sizeof(bar);
    bar.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &bar);
    EXPECT_EQ(bar.nPos, vertical.nPos);
    EXPECT_EQ(bar.nMax, 2999);
    // The top-left client pixel shows the picture pixel at the scroll position.
    EXPECT_EQ(out->At(0, 0) & 0xFFFFFF, Marker(horizontal.nPos, vertical.nPos) & 0xFFFFFF);

    // Scrolling down by a line moves the picture by ScrollDot pixels.
    settings.ScrollDot = 10;
    const int before = vertical.nPos;
    ScrollByCommand(window, 510, settings, vertical, horizontal);
    EXPECT_EQ(vertical.nPos, before + 10);
    out = Paint(picture.bitmap, 4000, 3000, true, false);
    EXPECT_EQ(out->At(0, 0) & 0xFFFFFF, Marker(horizontal.nPos, before + 10) & 0xFFFFFF);

    settings.BaseCentral = 0;
    out = Paint(picture.bitmap, 4000, 3000, true);
    EXPECT_EQ(vertical.nPos, 0);
    EXPECT_EQ(horizontal.nPos, 0);
    EXPECT_EQ(out->At(0, 0) & 0xFFFFFF, Marker(0, 0) & 0xFFFFFF);
}

TEST_F(PaintTest, ScrollRequestsMoveTheShownBars) {
    Section picture(1000, 3000);
    picture.Fill(0xFF808080);
    settings.FitWidth = 1;
    settings.ScrollDot = 10;
    Paint(picture.bitmap, 1000, 3000, true);
    ASSERT_TRUE(HasBar(WS_VSCROLL));
    ASSERT_FALSE(HasBar(WS_HSCROLL));
    auto barPosition = [&] {
        SCROLLINFO bar = {};
        bar.cbSize = sizeof(bar);
        bar.fMask = SIF_ALL;
        GetScrollInfo(window, SB_VERT, &bar);
        return bar.nPos;
    };
    ScrollByBarMessage(window, SB_VERT, MAKEWPARAM(SB_PAGEDOWN, 0), settings, vertical, horizontal);
    EXPECT_EQ(vertical.nPos, static_cast<int>(vertical.nPage));
    EXPECT_EQ(barPosition(), vertical.nPos);
    ScrollByBarMessage(window, SB_VERT, MAKEWPARAM(SB_THUMBTRACK, 500), settings, vertical, horizontal);
    EXPECT_EQ(vertical.nPos, 500);
    ScrollByWheelTurn(window, SB_VERT, -120, settings, vertical, horizontal);
    EXPECT_EQ(vertical.nPos, 510);
    ScrollByWheelTurn(window, SB_VERT, 120, settings, vertical, horizontal);
    EXPECT_EQ(vertical.nPos, 500);
    // No horizontal bar: the wheel with Shift does nothing there.
    const int before = horizontal.nPos;
    ScrollByWheelTurn(window, SB_HORZ, -120, settings, vertical, horizontal);
    EXPECT_EQ(horizontal.nPos, before);
    EXPECT_FALSE(HasBar(WS_HSCROLL));
    // The picture follows the hand: dragging up by 40 shows 40 rows further down.
    SCROLLINFO pressV = vertical, pressH = horizontal;
    DragScroll(window, POINTS{100, 300}, POINTS{100, 260}, pressV, pressH, vertical, horizontal);
    EXPECT_EQ(vertical.nPos, 540);
    EXPECT_EQ(barPosition(), 540);
    ScrollByCommand(window, 550, settings, vertical, horizontal);  // ScrollBottom
    EXPECT_EQ(vertical.nPos, vertical.nMax - static_cast<int>(vertical.nPage) + 1);
}

TEST_F(PaintTest, ThumbPastSixtyFiveThousandPixelsStaysThere) {
    Section picture(100, 100000);
    picture.Fill(0xFF808080);
    Paint(picture.bitmap, 100, 100000, true);
    ASSERT_TRUE(HasBar(WS_VSCROLL));
    ScrollByCommand(window, 550, settings, vertical, horizontal);  // ScrollBottom
    const int bottom = vertical.nPos;
    ASSERT_GT(bottom, 65535);
    // The message's high word holds the place modulo 65,536.
    for (int code : {SB_THUMBTRACK, SB_THUMBPOSITION}) {
        ScrollByBarMessage(window, SB_VERT, MAKEWPARAM(code, bottom & 0xFFFF), settings, vertical, horizontal);
        EXPECT_EQ(vertical.nPos, bottom) << code;
    }
}

TEST_F(PaintTest, ZoomCommandsKeepTheCentre) {
    Section picture(4000, 3000);
    picture.Fill(0xFF808080);
    settings.ZoomStep = 25;
    Paint(picture.bitmap, 4000, 3000, true);
    const int centreY = vertical.nPos + static_cast<int>(vertical.nPage / 2);
    ZoomByCommand(window, true, settings, vertical, horizontal);
    EXPECT_EQ(settings.zoomPercent, 125);
    EXPECT_EQ(vertical.nPos, centreY * 125 / 100 - static_cast<int>(vertical.nPage / 2));
    settings.zoomPercent = 4990;
    ZoomByCommand(window, true, settings, vertical, horizontal);
    EXPECT_EQ(settings.zoomPercent, 4990);
    settings.zoomPercent = 30;
    POINT cursor = {10, 10};
    ZoomByWheel(window, -120, cursor, settings, vertical, horizontal);
    EXPECT_EQ(settings.zoomPercent, 30);
}

TEST_F(PaintTest, FitWidthGetsAVerticalBarOnlyAtTheTop) {
    Section picture(1000, 3000);
    picture.Fill(0xFF808080);
    settings.FitWidth = 1;
    Paint(picture.bitmap, 1000, 3000, true);
    EXPECT_TRUE(HasBar(WS_VSCROLL));
    EXPECT_FALSE(HasBar(WS_HSCROLL));
    EXPECT_EQ(vertical.nPos, 0);
    // A status display afterwards removes the bar again.
    DecodedPicture missing = {};
    missing.width = -1;
    PaintPicture(nullptr, missing);
    EXPECT_FALSE(HasBar(WS_VSCROLL));
}

TEST_F(PaintTest, HalfTransparentPictureBlendsOverTheBackground) {
    std::wstring file = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\alpha.png";
    DecodeState state = {};
    DecodedPicture picture = {};
    PluginList plugins;
    HBITMAP decoded = DecodePicture(file.c_str(), state, settings, plugins, window, 1, picture);
    ASSERT_NE(decoded, nullptr);
    free(state.fileBuffer);
    HBITMAP display = RotateBitmap(window, decoded, picture.width, picture.height, 0);
    ASSERT_NE(display, nullptr);
    auto out = PaintPicture(display, picture);
    // Premultiplied (100, 50, 25) at alpha 128 over (0x40, 0x30, 0x20):
    // colour + background × (255 − 128) ÷ 255.
    const uint32_t p = out->At(400, 300);
    auto within1 = [](int got, int want) { return got >= want - 1 && got <= want + 1; };
    EXPECT_TRUE(within1(p >> 16 & 0xFF, 100 + 0x40 * 127 / 255)) << std::hex << p;
    EXPECT_TRUE(within1(p >> 8 & 0xFF, 50 + 0x30 * 127 / 255)) << std::hex << p;
    EXPECT_TRUE(within1(p & 0xFF, 25 + 0x20 * 127 / 255)) << std::hex << p;
    DeleteObject(display);
    DeleteObject(decoded);
}

TEST_F(PaintTest, LinerInterpolatesAKnownPicture) {
    // 2 × 2 drawn at 400 %: top row 0, 200; bottom row 100, 40 (in blue).
    Section picture(2, 2);
    picture.At(0, 0) = 0xFF000000;
    picture.At(1, 0) = 0xFF0000C8;
    picture.At(0, 1) = 0xFF000064;
    picture.At(1, 1) = 0xFF000028;
    settings.Liner = 1;
    settings.zoomPercent = 400;
    auto out = Paint(picture.bitmap, 2, 2, false);
    // The 8 × 8 result sits at (396, 296). Its corners are the picture's
    // corners; between them, steps of 256/7 in 1/256 pixel.
    auto blue = [&](int x, int y) { return static_cast<int>(out->At(396 + x, 296 + y) & 0xFF); };
    EXPECT_EQ(blue(0, 0), 0);    // the top-left pixel itself
    EXPECT_EQ(blue(7, 0), 200);  // the last column reaches the top-right pixel
    EXPECT_EQ(blue(7, 7), 40);
    EXPECT_EQ(blue(2, 7), 82);   // 73/256 of the way from 100 to 40 on the bottom row
    EXPECT_EQ(blue(0, 4), 57);   // 146/256 of the way from 0 down to 100
    EXPECT_EQ(blue(1, 4), 63);
    EXPECT_EQ(out->At(395, 300) & 0xFFFFFF, BackgroundPixel());
    EXPECT_EQ(out->At(404, 300) & 0xFFFFFF, BackgroundPixel());

    // At its own size the plain path copies the picture unchanged.
    settings.zoomPercent = 100;
    out = Paint(picture.bitmap, 2, 2, false);
    EXPECT_EQ(out->At(400, 299) & 0xFF, 0xC8u);  // the top-right pixel of the picture at (399, 299)
}

TEST_F(PaintTest, LinerEnlargingSixteenToSixHundredShowsTheLastColumn) {
    Section picture(16, 16);
    picture.Fill(0xFF000000);
    for (int y = 0; y < 16; ++y) picture.At(15, y) = 0xFF0000FF;  // the last column in blue
    settings.Liner = 1;
    settings.zoomPercent = 3750;
    auto out = Paint(picture.bitmap, 16, 16, false);
    // 600 × 600, centred across the 800-pixel width.
    EXPECT_EQ(out->At(99, 300) & 0xFFFFFF, BackgroundPixel());
    EXPECT_EQ(out->At(699, 300) & 0xFF, 0xFFu);
    EXPECT_EQ(out->At(699, 0) & 0xFF, 0xFFu);
    EXPECT_EQ(out->At(100, 300) & 0xFF, 0u);
    EXPECT_EQ(out->At(700, 300) & 0xFFFFFF, BackgroundPixel());
}

TEST_F(PaintTest, UnreadableFileShowsItsIconMessageAndType) {
    const std::wstring folder = MakeScratchFolder(L"status");
    const std::wstring path = folder + L"\\notes.png";
    ASSERT_TRUE(WriteWholeFile(path, "just some text, not a picture\r\n"));
    DecodeState state = {};
    DecodedPicture picture = {};
    PluginList plugins;
    EXPECT_EQ(DecodePicture(path.c_str(), state, settings, plugins, window, 1, picture), nullptr);
    free(state.fileBuffer);
    ASSERT_EQ(picture.width, -2);
    settings.English = 1;
    EXPECT_STREQ(StatusMessage(picture.width, picture.height, true), L"Unsupported.");
    EXPECT_STREQ(StatusMessage(-2, -4, true), L"Too Large.");
    EXPECT_STREQ(StatusMessage(-1, 0, true), L"Deleted.");
    EXPECT_STREQ(StatusMessage(-2, 0, false), L"\u5BFE\u5FDC\u3057\u3066\u3044\u307E\u305B\u3093");

    for (int english : {1, 0}) {
        settings.English = english;
        auto out = PaintPicture(nullptr, picture, true, path.c_str());
        HDC screen = GetDC(nullptr);
        HDC measure = CreateCompatibleDC(screen);
        SIZE text = {};
        const wchar_t* message = StatusMessage(-2, 0, english);
        GetTextExtentPoint32W(measure, message, lstrlenW(message), &text);
        DeleteDC(measure);
        ReleaseDC(nullptr, screen);
        // Icon in the middle, the message just above it, the type name below.
        RECT icon = {384, 284, 416, 316};
        RECT above = {0, 284 - 4 - text.cy, 800, 284 - 4};
        RECT below = {0, 320, 800, 320 + text.cy};
        RECT band = {0, 0, 800, 284 - 4 - text.cy};
        EXPECT_LT(Count(*out, icon, BackgroundPixel()), Area(icon)) << "no icon, English " << english;
        EXPECT_GT(Count(*out, above, 0xFFFFFF), 5) << "no message, English " << english;
        EXPECT_GT(Count(*out, below, 0xFFFFFF), 5) << "no type name, English " << english;
        EXPECT_EQ(Count(*out, band, BackgroundPixel()), Area(band));
    }
}

TEST_F(PaintTest, DeletedFileShowsItsMessageCentred) {
    DecodedPicture picture = {};
    picture.width = -1;
    settings.English = 1;
    auto out = PaintPicture(nullptr, picture);
    RECT middle = {300, 280, 500, 320};
    RECT top = {0, 0, 800, 250};
    EXPECT_GT(Count(*out, middle, 0xFFFFFF), 5);
    EXPECT_EQ(Count(*out, top, BackgroundPixel()), Area(top));
}

}  // namespace
