// glypho's settings file: its path beside the module, and the records that the
// specimen and the preview are drawn from. Nothing is cached: every call reads
// what it needs again, so an edit takes effect at the next picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "plugins/glypho/settings_values.h"

namespace glypho {

// The plug-in's module handle, kept when the DLL is attached.
HMODULE PluginModule();
void SetPluginModule(HMODULE module);

struct SpecimenSettings {
    int32_t collectionsOn;
    int32_t copyFontName;
    int32_t copyVersion;
    int32_t copyCopyright;
    int32_t width;
    int32_t height;
    std::wstring alphabet;   // "Str"
    std::wstring sampleJpn;  // "StrJpn"
    std::wstring sampleEng;  // "StrEng"
    int32_t textWrap;
    HBRUSH background;       // a stock brush
    COLORREF textColour;
    int32_t alphabetPt;      // "StrPt"
    int32_t ladder[kLadderSlots];
    int32_t fontNamePt;
    int32_t versionPt;
    int32_t copyrightPt;
    int32_t labelPt;         // "FontSizePt"
    int32_t margin;
    char nameFace[8];        // "DisplayInLoadedFont", up to 7 characters
    int32_t underlineInstalled;
    int32_t fontLink;
};

struct PreviewSettings {
    int32_t collectionsOn;
    int32_t width;
    int32_t height;
    int32_t fontPt;
    std::wstring sampleJpn;
    std::wstring sampleEng;
    HBRUSH background;
    COLORREF textColour;
    int32_t fontLink;
};

SpecimenSettings ReadSpecimenSettings();
PreviewSettings ReadPreviewSettings();

// "ProcTTC" alone, for the plug-in information.
bool ReadCollectionSwitch();

// "ProcTTC" for the type check, which falls back to glypho.ini in the plug-in's
// folder when the file beside the module does not exist.
bool ReadCollectionSwitchForTypeCheck();

// "BmpWidth" and "BmpHeight" of "ViewSetting", with the active window's client
// size for 0 and 640 x 480 as the fallback.
void ReadSpecimenSize(int32_t* width, int32_t* height);

}  // namespace glypho
