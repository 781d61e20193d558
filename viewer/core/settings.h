// The in-memory copy of the settings file's "SystemSetting" and "ViewSetting"
// sections, read once when the main window is created and whose view part is
// written back at close. Each stored field bears the name of its key.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/key_names.h"

struct Settings {
    int32_t SuperOxel;
    int32_t NoLogicalSort;
    int32_t SortMethod;
    int32_t SortDescending;
    int32_t ActiveFiler;
    int32_t ignoreSystemFile;
    int32_t ignoreHiddenFile;
    int32_t RereadFileList;
    int32_t WindowLeft;
    int32_t WindowTop;
    int32_t WindowWidth;
    int32_t WindowHeight;
    KeyPair FilerNext;
    KeyPair FilerPrev;
    int32_t ScrollDot;
    int32_t WindowMode;
    int32_t AlwaysOnTop;
    int32_t FitOut;
    int32_t FitIn;
    int32_t FitWidth;
    int32_t zoomPercent;  // not stored
    int32_t ZoomStep;
    int32_t rotation;     // not stored: 0, 90, 180 or 270
    int32_t ExitByDoubleClick;
    int32_t WindowBGColor;  // COLORREF, or -1 for the system colour
    int32_t ScreenBGColor;
    int32_t FontColor;
    double PrintMargin;
    int32_t MemorizeFolder;
    int32_t ShowMenuBar;
    int32_t CGSizeInMenuBar;
    int32_t CGColorInMenuBar;
    int32_t ArcNoInTitleBar;
    int32_t SearchInArchive;
    int32_t MaxSizeInArchive;
    int32_t BaseCentral;
    int32_t AssociatedIcon;
    int32_t ReloadByResize;
    int32_t Anime;
    int32_t CheckExt_SPI;
    double ShowToolTip;
    double HideToolTip;
    int32_t English;
    char WICExt[MAX_PATH];  // ANSI, thread code page
    int32_t LoopCount;
    int32_t Explorer;
    int32_t AutoAnime;
    int32_t SlideShowInterval;
    int32_t slideShowOn;  // not stored
    int32_t Liner;
    int32_t ReadAhead;    // decode the neighbours of the shown picture in the background
    int32_t ReadAheadMB;  // their budget in decoded megabytes; 0: none
    int32_t ExifOrientation;  // additions of this viewer, all on by default
    int32_t ColorManagement;
    int32_t IsolatePlugins;   // an addition, off by default: every plug-in in a host process
    int32_t ShowHugeReduced;  // a still picture past the pixel limit is shown reduced, else refused
};

// Reads every key of the record from `iniPath`; missing keys give their defaults.
Settings LoadSettings(const wchar_t* iniPath);

// Writes the twelve view keys of section "ViewSetting" back to `iniPath`.
void SaveViewSettings(const Settings& settings, const wchar_t* iniPath);

// A boolean of `section` by the settings file's rule ("true", "on", "1").
bool ReadProfileBool(const wchar_t* iniPath, const wchar_t* section, const wchar_t* key,
                     const wchar_t* defaultText);
