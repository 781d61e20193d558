// Reading glypho's settings file with the system's profile functions: switches
// and numbers through the ANSI path, texts through the wide path.
#include "plugins/glypho/settings.h"

#include <vector>

namespace glypho {

namespace {

HMODULE g_module = nullptr;

const char kSystem[] = "SystemSetting";
const char kView[] = "ViewSetting";
const char kPreview[] = "PreviewSetting";

const wchar_t kDefaultAlphabet[] =
    L"abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ\n1234567890.:,;'\"(!?)+-*/=";
const wchar_t kDefaultJpn[] =
    L"Susie\x3067\x30B0\x30E9\x30D5\x30A3\x30C3\x30AF\x30B9\x306E\x4E16\x754C\x304C\x5E83"
    L"\x304C\x308A\x307E\x3059\x3002" L"1234567890";
const wchar_t kDefaultEng[] = L"The quick colorful Susie jumps over the lazy Windows. 12345677890";

constexpr DWORD kAnsiChars = 260;
constexpr DWORD kSpecimenTextUnits = 4096;
constexpr DWORD kPreviewTextUnits = 64;

std::string AnsiIniPath() {
    char path[MAX_PATH] = {0};
    DWORD n = GetModuleFileNameA(g_module, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    size_t slash = s.find_last_of("\\/");
    size_t dot = s.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = s.size();
    return s.substr(0, dot) + ".ini";
}

std::wstring WideIniPath() {
    wchar_t path[MAX_PATH] = {0};
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    std::wstring s(path, n < MAX_PATH ? n : 0);
    size_t slash = s.find_last_of(L"\\/");
    size_t dot = s.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) dot = s.size();
    return s.substr(0, dot) + L".ini";
}

std::string ReadAnsi(const std::string& ini, const char* section, const char* key, const char* def,
                     DWORD chars = kAnsiChars) {
    std::vector<char> buffer(chars, 0);
    GetPrivateProfileStringA(section, key, def, buffer.data(), chars, ini.c_str());
    return std::string(buffer.data());
}

int32_t ReadSwitch(const std::string& ini, const char* section, const char* key) {
    return IsSwitchOn(ReadAnsi(ini, section, key, "OFF").c_str()) ? 1 : 0;
}

int32_t ReadInt(const std::string& ini, const char* section, const char* key, int def) {
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, def, ini.c_str()));
}

std::wstring ReadText(const std::wstring& ini, const wchar_t* section, const wchar_t* key,
                      const wchar_t* def, DWORD units) {
    std::vector<wchar_t> buffer(units, 0);
    GetPrivateProfileStringW(section, key, def, buffer.data(), units, ini.c_str());
    ReplaceBackslashN(buffer.data());
    return std::wstring(buffer.data());
}

HBRUSH BackgroundBrush(ColourWord word, int otherBrush) {
    int stock = otherBrush;
    switch (word) {
        case ColourWord::kBlack: stock = BLACK_BRUSH; break;
        case ColourWord::kDarkGray: stock = DKGRAY_BRUSH; break;
        case ColourWord::kGray: stock = GRAY_BRUSH; break;
        case ColourWord::kLightGray: stock = LTGRAY_BRUSH; break;
        case ColourWord::kWhite: stock = WHITE_BRUSH; break;
        case ColourWord::kOther: break;
    }
    return static_cast<HBRUSH>(GetStockObject(stock));
}

COLORREF TextColour(const std::string& ini, const char* section) {
    return TextColourOf(ParseColourWord(ReadAnsi(ini, section, "FontColor", "BLACK").c_str()));
}

// 0 stands for the active window's client extent; below 1, or without one, the fallback.
int32_t ResolveExtent(int32_t value, bool horizontal, int32_t fallback) {
    if (value != 0) return value;
    HWND active = GetActiveWindow();
    RECT client = {0, 0, 0, 0};
    if (!active || !GetClientRect(active, &client)) return fallback;
    int32_t extent = horizontal ? client.right - client.left : client.bottom - client.top;
    return extent < 1 ? fallback : extent;
}

}  // namespace

HMODULE PluginModule() { return g_module; }
void SetPluginModule(HMODULE module) { g_module = module; }

SpecimenSettings ReadSpecimenSettings() {
    std::string ini = AnsiIniPath();
    std::wstring wini = WideIniPath();
    SpecimenSettings s = {};
    s.collectionsOn = ReadSwitch(ini, kSystem, "ProcTTC");
    s.copyFontName = ReadSwitch(ini, kSystem, "CopyFontName");
    s.copyVersion = ReadSwitch(ini, kSystem, "CopyVersion");
    s.copyCopyright = ReadSwitch(ini, kSystem, "CopyCopyright");
    s.fontLink = ReadSwitch(ini, kView, "FontLink");
    ReadSpecimenSize(&s.width, &s.height);
    s.alphabet = ReadText(wini, L"ViewSetting", L"Str", kDefaultAlphabet, kSpecimenTextUnits);
    s.sampleJpn = ReadText(wini, L"ViewSetting", L"StrJpn", kDefaultJpn, kSpecimenTextUnits);
    s.sampleEng = ReadText(wini, L"ViewSetting", L"StrEng", kDefaultEng, kSpecimenTextUnits);
    s.textWrap = ReadSwitch(ini, kView, "TextWrap");
    s.background = BackgroundBrush(ParseColourWord(ReadAnsi(ini, kView, "BGColor", "WHITE").c_str()), BLACK_BRUSH);
    s.textColour = TextColour(ini, kView);
    std::string face = ReadAnsi(ini, kView, "DisplayInLoadedFont", "OFF", sizeof(s.nameFace));
    lstrcpynA(s.nameFace, face.c_str(), sizeof(s.nameFace));
    s.underlineInstalled = ReadSwitch(ini, kView, "UnderlineInstalledFont");
    s.alphabetPt = ClampPointSize(ReadInt(ini, kView, "StrPt", 16));
    ParsePointList(ReadAnsi(ini, kView, "StrPtArray", "12,18,24,36,48,60,72").c_str(), s.ladder);
    s.fontNamePt = ClampPointSize(ReadInt(ini, kView, "FontNamePt", 32));
    s.versionPt = ClampPointSize(ReadInt(ini, kView, "VersionPt", 12));
    s.copyrightPt = ClampPointSize(ReadInt(ini, kView, "CopyrightPt", 12));
    s.labelPt = ClampPointSize(ReadInt(ini, kView, "FontSizePt", 8));
    s.margin = ClampMargin(ReadInt(ini, kView, "Margin", 4));
    return s;
}

PreviewSettings ReadPreviewSettings() {
    std::string ini = AnsiIniPath();
    std::wstring wini = WideIniPath();
    PreviewSettings p = {};
    p.collectionsOn = IsPreviewCollectionSwitchOn(ReadAnsi(ini, kSystem, "ProcTtc", "OFF").c_str()) ? 1 : 0;
    p.fontLink = ReadSwitch(ini, kPreview, "FontLink");
    p.width = ReadInt(ini, kPreview, "BmpWidth", 120);
    p.height = ReadInt(ini, kPreview, "BmpHeight", 90);
    p.sampleJpn = ReadText(wini, L"PreviewSetting", L"StrJpn", kDefaultJpn, kPreviewTextUnits);
    p.sampleEng = ReadText(wini, L"PreviewSetting", L"StrEng", kDefaultEng, kPreviewTextUnits);
    p.fontPt = ClampPointSize(ReadInt(ini, kPreview, "FontPt", 8));
    p.background = BackgroundBrush(ParseColourWord(ReadAnsi(ini, kPreview, "BGColor", "WHITE").c_str()), WHITE_BRUSH);
    p.textColour = TextColour(ini, kPreview);
    return p;
}

bool ReadCollectionSwitch() {
    return ReadSwitch(AnsiIniPath(), kSystem, "ProcTTC") != 0;
}

bool ReadCollectionSwitchForTypeCheck() {
    std::string ini = AnsiIniPath();
    if (GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES) {
        size_t slash = ini.find_last_of("\\/");
        ini = (slash == std::string::npos ? std::string() : ini.substr(0, slash + 1)) + "glypho.ini";
    }
    return ReadSwitch(ini, kSystem, "ProcTTC") != 0;
}

void ReadSpecimenSize(int32_t* width, int32_t* height) {
    std::string ini = AnsiIniPath();
    *width = ResolveExtent(ReadInt(ini, kView, "BmpWidth", 640), true, 640);
    *height = ResolveExtent(ReadInt(ini, kView, "BmpHeight", 480), false, 480);
}

}  // namespace glypho
