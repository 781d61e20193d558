// Reading and writing the settings file through the system's profile functions,
// so that its syntax, comments and case-insensitive matching are theirs.
#include "viewer/core/settings.h"

#include <cstdlib>
#include <cwchar>

#include "viewer/core/setting_values.h"

namespace {

const wchar_t kSys[] = L"SystemSetting";
const wchar_t kView[] = L"ViewSetting";

// Profile values are read into buffers of this many characters.
constexpr DWORD kValueChars = MAX_PATH;

void ReadText(const wchar_t* ini, const wchar_t* section, const wchar_t* key, const wchar_t* def,
              wchar_t (&out)[kValueChars]) {
    GetPrivateProfileStringW(section, key, def, out, kValueChars, ini);
}

int32_t ReadBool(const wchar_t* ini, const wchar_t* section, const wchar_t* key, const wchar_t* def) {
    return ReadProfileBool(ini, section, key, def) ? 1 : 0;
}

int32_t ReadInt(const wchar_t* ini, const wchar_t* section, const wchar_t* key, int def) {
    return static_cast<int32_t>(GetPrivateProfileIntW(section, key, def, ini));
}

// atof of the wide text: the value is taken as ASCII; any other character ends it.
double ReadReal(const wchar_t* ini, const wchar_t* section, const wchar_t* key, const wchar_t* def) {
    wchar_t text[kValueChars];
    ReadText(ini, section, key, def, text);
    char ascii[kValueChars];
    size_t i = 0;
    for (; text[i] && i + 1 < kValueChars; ++i) {
        ascii[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : '\x01';
    }
    ascii[i] = '\0';
    return atof(ascii);
}

KeyPair ReadKeyPair(const wchar_t* ini, const wchar_t* key, const wchar_t* def) {
    wchar_t text[kValueChars];
    ReadText(ini, kSys, key, def, text);
    return ParseKeyText(text);
}

int32_t ReadColor(const wchar_t* ini, const wchar_t* key, const wchar_t* def, bool fontRule) {
    wchar_t text[kValueChars];
    ReadText(ini, kView, key, def, text);
    return fontRule ? ParseFontColor(text) : ParseColorName(text);
}

bool IsLeadByteOfThreadCodePage(unsigned char c) { return IsDBCSLeadByteEx(CP_THREAD_ACP, c) != 0; }

// "WICExt" in the thread's ANSI code page, cut to whole extensions when its ANSI
// form does not fit the 260-byte field. The wide value is read into a larger
// buffer so that the profile reader's own cut cannot leave half an extension.
void ReadWicExtensions(const wchar_t* ini, char (&out)[MAX_PATH]) {
    constexpr DWORD kWideChars = 2048;
    wchar_t text[kWideChars];
    GetPrivateProfileStringW(kSys, L"WICExt", L".bmp.jpeg.jpg.png.gif.hdp.wdp.jxr.tiff.icon", text, kWideChars, ini);
    char ansi[kWideChars * 2 + 1];
    int length = WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    size_t bytes = length > 0 ? static_cast<size_t>(length - 1) : 0;
    bytes = FitExtensionList(ansi, bytes, sizeof out, IsLeadByteOfThreadCodePage);
    memcpy(out, ansi, bytes + 1);
}

void WriteFlag(const wchar_t* ini, const wchar_t* key, int32_t value) {
    WritePrivateProfileStringW(kView, key, FlagValueText(value), ini);
}

void WriteUnsigned(const wchar_t* ini, const wchar_t* key, int32_t value) {
    wchar_t text[16];
    FormatUnsignedValue(value, text);
    WritePrivateProfileStringW(kView, key, text, ini);
}

}  // namespace

bool ReadProfileBool(const wchar_t* iniPath, const wchar_t* section, const wchar_t* key,
                     const wchar_t* defaultText) {
    wchar_t text[kValueChars];
    GetPrivateProfileStringW(section, key, defaultText, text, kValueChars, iniPath);
    return IsOnText(text);
}

Settings LoadSettings(const wchar_t* ini) {
    Settings s = {};
    s.SuperOxel = ReadBool(ini, kSys, L"SuperOxel", L"OFF");
    s.English = ReadBool(ini, kSys, L"English", L"OFF");
    s.Anime = ReadBool(ini, kSys, L"Anime", L"ON");
    s.AutoAnime = ReadBool(ini, kSys, L"AutoAnime", L"OFF");
    s.LoopCount = ReadBool(ini, kSys, L"LoopCount", L"OFF");
    s.Explorer = ReadBool(ini, kSys, L"Explorer", L"OFF");
    s.CheckExt_SPI = ReadBool(ini, kSys, L"CheckExt_SPI", L"ON");
    s.IsolatePlugins = ReadBool(ini, kSys, L"IsolatePlugins", L"OFF");
    s.ExitByDoubleClick = ReadBool(ini, kSys, L"ExitByDoubleClick", L"OFF");
    s.FilerNext = ReadKeyPair(ini, L"FilerNext", L"DOWN");
    s.FilerPrev = ReadKeyPair(ini, L"FilerPrev", L"UP");
    s.ActiveFiler = ReadBool(ini, kSys, L"ActiveFiler", L"ON");
    s.RereadFileList = ReadBool(ini, kSys, L"RereadFileList", L"OFF");
    s.SearchInArchive = ReadBool(ini, kSys, L"SearchInArchive", L"ON");
    s.MaxSizeInArchive = ReadInt(ini, kSys, L"MaxSizeInArchive", 20);
    s.ignoreSystemFile = ReadBool(ini, kSys, L"ignoreSystemFile", L"ON");
    s.ignoreHiddenFile = ReadBool(ini, kSys, L"ignoreHiddenFile", L"OFF");
    s.MemorizeFolder = ReadBool(ini, kSys, L"MemorizeFolder", L"OFF");
    s.PrintMargin = ReadReal(ini, kSys, L"PrintMargin", L"2.0");
    s.ShowMenuBar = ReadBool(ini, kSys, L"ShowMenuBar", L"ON");
    s.CGSizeInMenuBar = ReadBool(ini, kSys, L"CGSizeInMenuBar", L"ON");
    s.CGColorInMenuBar = ReadBool(ini, kSys, L"CGColorInMenuBar", L"OFF");
    s.ArcNoInTitleBar = ReadBool(ini, kSys, L"ArcNoInTitleBar", L"OFF");
    s.ScrollDot = ReadInt(ini, kSys, L"ScrollDot", 10);
    s.ZoomStep = ReadInt(ini, kSys, L"ZoomStep", 25);
    s.AssociatedIcon = ReadBool(ini, kSys, L"AssociatedIcon", L"OFF");
    s.NoLogicalSort = ReadBool(ini, kSys, L"NoLogicalSort", L"OFF");
    s.SortMethod = ReadInt(ini, kView, L"SortMethod", 1);
    s.SortDescending = ReadBool(ini, kView, L"SortDescending", L"OFF");
    s.WindowMode = ReadBool(ini, kView, L"WindowMode", L"ON");
    s.AlwaysOnTop = ReadBool(ini, kView, L"AlwaysOnTop", L"OFF");
    s.FitOut = ReadBool(ini, kView, L"FitOut", L"ON");
    s.FitIn = ReadBool(ini, kView, L"FitIn", L"OFF");
    s.FitWidth = ReadBool(ini, kView, L"FitWidth", L"OFF");
    s.Liner = ReadBool(ini, kView, L"Liner", L"OFF");
    s.ReadAhead = ReadBool(ini, kSys, L"ReadAhead", L"ON");
    s.ReadAheadMB = ReadInt(ini, kSys, L"ReadAheadMB", sizeof(void*) >= 8 ? 1024 : 256);
    if (s.ReadAheadMB < 0) s.ReadAheadMB = sizeof(void*) >= 8 ? 1024 : 256;
    s.BaseCentral = ReadBool(ini, kSys, L"BaseCentral", L"ON");
    s.ReloadByResize = ReadBool(ini, kSys, L"ReloadByResize", L"OFF");
    s.ShowToolTip = ReadReal(ini, kSys, L"ShowToolTip", L"0.4");
    s.HideToolTip = ReadReal(ini, kSys, L"HideToolTip", L"3.0");
    s.WindowLeft = ReadInt(ini, kView, L"WindowLeft", 0);
    s.WindowTop = ReadInt(ini, kView, L"WindowTop", 0);
    s.WindowWidth = ReadInt(ini, kView, L"WindowWidth", 320);
    s.WindowHeight = ReadInt(ini, kView, L"WindowHeight", 240);
    s.WindowBGColor = ReadColor(ini, L"WindowBGColor", L"DEFAULT", false);
    s.ScreenBGColor = ReadColor(ini, L"ScreenBGColor", L"DEFAULT", false);
    s.FontColor = ReadColor(ini, L"FontColor", L"WHITE", true);
    ReadWicExtensions(ini, s.WICExt);
    s.SlideShowInterval = ReadInt(ini, kSys, L"SlideShowInterval", 5);
    s.ExifOrientation = ReadBool(ini, kSys, L"ExifOrientation", L"ON");
    s.ColorManagement = ReadBool(ini, kSys, L"ColorManagement", L"ON");
    s.ShowHugeReduced = ReadBool(ini, kSys, L"ShowHugeReduced", L"ON");
    s.zoomPercent = 100;
    s.rotation = 0;
    s.slideShowOn = 0;
    return s;
}

void SaveViewSettings(const Settings& s, const wchar_t* ini) {
    WriteFlag(ini, L"WindowMode", s.WindowMode);
    WriteFlag(ini, L"FitOut", s.FitOut);
    WriteFlag(ini, L"FitIn", s.FitIn);
    WriteFlag(ini, L"FitWidth", s.FitWidth);
    WriteFlag(ini, L"Liner", s.Liner);
    WriteFlag(ini, L"AlwaysOnTop", s.AlwaysOnTop);
    wchar_t sortMethod[16];
    FormatSignedValue(s.SortMethod, sortMethod);
    WritePrivateProfileStringW(kView, L"SortMethod", sortMethod, ini);
    WriteFlag(ini, L"SortDescending", s.SortDescending);
    WriteUnsigned(ini, L"WindowLeft", s.WindowLeft);
    WriteUnsigned(ini, L"WindowTop", s.WindowTop);
    WriteUnsigned(ini, L"WindowWidth", s.WindowWidth);
    WriteUnsigned(ini, L"WindowHeight", s.WindowHeight);
}
