// The settings record read from and written to a real settings file through the
// system's profile functions.
#include "viewer/core/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::wstring SettingsFile(const std::string& text) {
    std::wstring path = MakeScratchFolder(L"settings") + L"\\Oxel.ini";
    WriteWholeFile(path, text);
    return path;
}

TEST(LoadSettings, EmptyFileGivesEveryDefault) {
    Settings s = LoadSettings(SettingsFile("").c_str());
    EXPECT_EQ(s.SuperOxel, 0);
    EXPECT_EQ(s.NoLogicalSort, 0);
    EXPECT_EQ(s.SortMethod, 1);
    EXPECT_EQ(s.SortDescending, 0);
    EXPECT_EQ(s.ActiveFiler, 1);
    EXPECT_EQ(s.ignoreSystemFile, 1);
    EXPECT_EQ(s.ignoreHiddenFile, 0);
    EXPECT_EQ(s.RereadFileList, 0);
    EXPECT_EQ(s.WindowLeft, 0);
    EXPECT_EQ(s.WindowTop, 0);
    EXPECT_EQ(s.WindowWidth, 320);
    EXPECT_EQ(s.WindowHeight, 240);
    EXPECT_EQ(s.FilerNext.modifier, 0);
    EXPECT_EQ(s.FilerNext.key, 40);
    EXPECT_EQ(s.FilerPrev.modifier, 0);
    EXPECT_EQ(s.FilerPrev.key, 38);
    EXPECT_EQ(s.ScrollDot, 10);
    EXPECT_EQ(s.WindowMode, 1);
    EXPECT_EQ(s.AlwaysOnTop, 0);
    EXPECT_EQ(s.FitOut, 1);
    EXPECT_EQ(s.FitIn, 0);
    EXPECT_EQ(s.FitWidth, 0);
    EXPECT_EQ(s.zoomPercent, 100);
    EXPECT_EQ(s.ZoomStep, 25);
    EXPECT_EQ(s.rotation, 0);
    EXPECT_EQ(s.ExitByDoubleClick, 0);
    EXPECT_EQ(s.WindowBGColor, -1);
    EXPECT_EQ(s.ScreenBGColor, -1);
    EXPECT_EQ(s.FontColor, 0xFFFFFF);
    EXPECT_DOUBLE_EQ(s.PrintMargin, 2.0);
    EXPECT_EQ(s.MemorizeFolder, 0);
    EXPECT_EQ(s.ShowMenuBar, 1);
    EXPECT_EQ(s.CGSizeInMenuBar, 1);
    EXPECT_EQ(s.CGColorInMenuBar, 0);
    EXPECT_EQ(s.ArcNoInTitleBar, 0);
    EXPECT_EQ(s.SearchInArchive, 1);
    EXPECT_EQ(s.MaxSizeInArchive, 20);
    EXPECT_EQ(s.BaseCentral, 1);
    EXPECT_EQ(s.AssociatedIcon, 0);
    EXPECT_EQ(s.ReloadByResize, 0);
    EXPECT_EQ(s.Anime, 1);
    EXPECT_EQ(s.CheckExt_SPI, 1);
    EXPECT_DOUBLE_EQ(s.ShowToolTip, 0.4);
    EXPECT_DOUBLE_EQ(s.HideToolTip, 3.0);
    EXPECT_EQ(s.English, 0);
    EXPECT_STREQ(s.WICExt, ".bmp.jpeg.jpg.png.gif.hdp.wdp.jxr.tiff.icon");
    EXPECT_EQ(s.LoopCount, 0);
    EXPECT_EQ(s.Explorer, 0);
    EXPECT_EQ(s.AutoAnime, 0);
    EXPECT_EQ(s.SlideShowInterval, 5);
    EXPECT_EQ(s.slideShowOn, 0);
    EXPECT_EQ(s.Liner, 0);
}

TEST(LoadSettings, ValuesFollowTheirRules) {
    Settings s = LoadSettings(SettingsFile(
        "[SystemSetting]\r\n"
        "Anime=yes\r\nAutoAnime=On\r\nLoopCount=TRUE\r\nEnglish=1\r\n"
        "PrintMargin=abc\r\nShowToolTip=0\r\nHideToolTip=1.75\r\n"
        "FilerNext=DOWN+SHIFT\r\nFilerPrev=sideways\r\n"
        "ScrollDot=33\r\nMaxSizeInArchive=7\r\nWICExt=\r\n"
        "[ViewSetting]\r\n"
        "WindowBGColor=red\r\nScreenBGColor=dark_gray\r\nFontColor=red\r\n"
        "SortMethod=4\r\nSortDescending=on\r\nWindowLeft=-40\r\n").c_str());
    EXPECT_EQ(s.Anime, 0);
    EXPECT_EQ(s.AutoAnime, 1);
    EXPECT_EQ(s.LoopCount, 1);
    EXPECT_EQ(s.English, 1);
    EXPECT_DOUBLE_EQ(s.PrintMargin, 0.0);
    EXPECT_DOUBLE_EQ(s.ShowToolTip, 0.0);
    EXPECT_DOUBLE_EQ(s.HideToolTip, 1.75);
    EXPECT_EQ(s.FilerNext.modifier, 16);
    EXPECT_EQ(s.FilerNext.key, 40);
    EXPECT_EQ(s.FilerPrev.modifier, 0);
    EXPECT_EQ(s.FilerPrev.key, 0);
    EXPECT_EQ(s.ScrollDot, 33);
    EXPECT_EQ(s.MaxSizeInArchive, 7);
    EXPECT_STREQ(s.WICExt, "");
    EXPECT_EQ(s.WindowBGColor, -1);
    EXPECT_EQ(s.ScreenBGColor, 0x404040);
    EXPECT_EQ(s.FontColor, 0xFFFFFF);
    EXPECT_EQ(s.SortMethod, 4);
    EXPECT_EQ(s.SortDescending, 1);
    EXPECT_EQ(s.WindowLeft, -40);
}

TEST(LoadSettings, OverlongValuesStayWithinTheirBuffers) {
    std::string longList;
    while (longList.size() < 600) longList += ".jpeg";
    std::string junk(2000, 'x');
    Settings s = LoadSettings(SettingsFile(
        "[SystemSetting]\r\nWICExt=" + longList + "\r\nPrintMargin=" + std::string(1000, '9') +
        "\r\nFilerNext=" + junk + "+" + junk + "\r\nAnime=" + junk + "\r\n"
        "[ViewSetting]\r\nFontColor=" + junk + "\r\n").c_str());
    size_t length = strlen(s.WICExt);
    EXPECT_LT(length, sizeof s.WICExt);
    EXPECT_EQ(length % 5, 0u);  // whole ".jpeg" extensions only
    EXPECT_GT(length, 200u);
    EXPECT_EQ(s.FilerNext.key, 0);
    EXPECT_EQ(s.Anime, 0);
    EXPECT_EQ(s.FontColor, 0xFFFFFF);
    EXPECT_GT(s.PrintMargin, 1e200);
}

TEST(SaveViewSettings, WritesTheTwelveKeysWithTheirLeadingBlank) {
    std::wstring path = SettingsFile("[ViewSetting]\r\nWindowBGColor=GRAY\r\n");
    Settings s = LoadSettings(path.c_str());
    s.WindowMode = 0;
    s.FitOut = 0;
    s.FitIn = 1;
    s.FitWidth = 1;
    s.Liner = 1;
    s.AlwaysOnTop = 2;  // only exactly 1 is written as ON
    s.SortMethod = 6;
    s.SortDescending = 1;
    s.WindowLeft = -8;
    s.WindowTop = 12;
    s.WindowWidth = 640;
    s.WindowHeight = 480;
    s.zoomPercent = 300;
    s.rotation = 90;
    SaveViewSettings(s, path.c_str());

    std::string text = ReadWholeFile(path);
    const char* expected[][2] = {
        {"WindowMode", "OFF"}, {"FitOut", "OFF"}, {"FitIn", "ON"}, {"FitWidth", "ON"}, {"Liner", "ON"},
        {"AlwaysOnTop", "OFF"}, {"SortMethod", "6"}, {"SortDescending", "ON"},
        {"WindowLeft", "4294967288"}, {"WindowTop", "12"}, {"WindowWidth", "640"},
        {"WindowHeight", "480"}, {"WindowBGColor", "GRAY"}};
    for (auto& entry : expected) EXPECT_TRUE(HasProfileEntry(text, entry[0], entry[1])) << entry[0] << "\n" << text;
    EXPECT_EQ(text.find("300"), std::string::npos);
    EXPECT_EQ(text.find("rotation"), std::string::npos);
    EXPECT_LT(text.find("WindowMode"), text.find("FitOut"));
    EXPECT_LT(text.find("SortDescending"), text.find("WindowLeft"));

    Settings back = LoadSettings(path.c_str());
    EXPECT_EQ(back.WindowMode, 0);
    EXPECT_EQ(back.FitIn, 1);
    EXPECT_EQ(back.AlwaysOnTop, 0);
    EXPECT_EQ(back.SortMethod, 6);
    EXPECT_EQ(back.SortDescending, 1);
    EXPECT_EQ(back.WindowLeft, -8);
    EXPECT_EQ(back.WindowTop, 12);
    EXPECT_EQ(back.WindowBGColor, 0x808080);
    EXPECT_EQ(back.zoomPercent, 100);
}

}  // namespace
