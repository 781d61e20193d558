// Menu labels and state; see menus.h. The texts come from menu_labels.h; here
// they are read from the settings file and put into the menus.
#include "viewer/input/menus.h"

#include <string>

#include "viewer/core/command_ids.h"
#include "viewer/core/key_names.h"
#include "viewer/display/status_text.h"
#include "viewer/input/menu_labels.h"

namespace {

void SetItemText(HMENU menu, UINT item, bool byPosition, const std::wstring& text) {
    if (!menu) return;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, item, byPosition ? TRUE : FALSE, &info);
}

void SetCheck(HMENU menu, UINT command, bool checked) {
    if (!menu) return;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    // The item's other state bits (greyed) stay as they are.
    if (!GetMenuItemInfoW(menu, command, FALSE, &info)) return;
    info.fState = checked ? (info.fState | MFS_CHECKED) : (info.fState & ~static_cast<UINT>(MFS_CHECKED));
    SetMenuItemInfoW(menu, command, FALSE, &info);
}

// The same "KeySetting" default as the command's accelerator.
const wchar_t* KeyDefault(const wchar_t* key) {
    for (const KeyBinding& binding : KeyBindingTable()) {
        if (lstrcmpW(binding.key, key) == 0) return binding.defaultValue;
    }
    return L"";
}

}  // namespace

void BuildMenuLabels(const wchar_t* iniPath, HMENU menuBar, HMENU contextMenu, const Settings& settings) {
    const bool english = settings.English != 0;
    for (const MenuLabelRow& row : MenuLabelTable()) {
        std::wstring keyText;
        if (row.keySetting) {
            wchar_t value[MAX_PATH + 1] = L"";
            GetPrivateProfileStringW(L"KeySetting", row.keySetting, KeyDefault(row.keySetting), value, MAX_PATH + 1,
                                     iniPath);
            keyText = KeyTextOf(value);
        }
        const std::wstring label = CommandLabel(row, english, settings.ZoomStep, keyText);
        SetItemText(menuBar, row.command, false, label);
        if (row.menus == LabelMenus::kBoth) SetItemText(contextMenu, row.command, false, label);
    }
    SetItemText(menuBar, 0, true, FileCaption(english));
    SetItemText(contextMenu, 13, true, FileCaption(english));
    SetItemText(contextMenu, 14, true, ViewStateCaption(english));
    if (menuBar) SetItemText(GetSubMenu(menuBar, 0), 11, true, SortCaption(english));
    SetItemText(contextMenu, 15, true, SortCaption(english));
    if (!ReadProfileBool(iniPath, L"SystemSetting", L"ShowCGSizeInMenuBar", L"TRUE") &&
        !ReadProfileBool(iniPath, L"SystemSetting", L"ShowCGColorInMenuBar", L"TRUE") && menuBar) {
        DeleteMenu(menuBar, IDM_INFO, MF_BYCOMMAND);
    }
}

void UpdateMenuState(HWND window, HMENU menuBar, HMENU popupMenu, const Settings& settings,
                     const DecodedPicture& picture, int lastListIndex, int animationRunning) {
    const bool english = settings.English != 0;
    std::wstring information;
    if (picture.bitmap && lastListIndex != -1) {
        information = FormatShownSizeAndColors(picture.width, picture.height, picture.fileWidth, picture.fileHeight,
                                               picture.bitsPerPixel, english, settings.CGSizeInMenuBar != 0,
                                               settings.CGColorInMenuBar != 0);
    }
    SetItemText(menuBar, IDM_INFO, false, information);

    for (HMENU menu : {menuBar, popupMenu}) {
        SetCheck(menu, IDM_GIF_ANIME, animationRunning != 0);
        SetCheck(menu, IDM_TOP_MOST, settings.AlwaysOnTop != 0);
        SetCheck(menu, IDM_FIT_OUT, settings.FitOut != 0);
        SetCheck(menu, IDM_FIT_IN, settings.FitIn != 0);
        SetCheck(menu, IDM_FIT_WIDTH, settings.FitWidth != 0);
        SetCheck(menu, IDM_LINER, settings.Liner != 0);
        for (int method = 1; method <= 6; ++method) {
            SetCheck(menu, IDM_SORT_NAME + 10 * (method - 1), settings.SortMethod == method);
        }
        SetCheck(menu, IDM_SORT_REV, settings.SortDescending != 0);
    }
    // Full screen is shown by a check in the context menu only.
    SetCheck(popupMenu, IDM_WINDOW, settings.WindowMode == 0);

    SetItemText(menuBar, 1, true,
                FitCaption(settings.FitWidth != 0, settings.FitIn != 0, settings.FitOut != 0, english));
    SetItemText(menuBar, 2, true, ZoomCaption(settings.zoomPercent));
    SetItemText(menuBar, 3, true, RotationCaption(settings.rotation, english));
    DrawMenuBar(window);
}
