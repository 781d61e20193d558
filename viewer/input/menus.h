// Menu labels and check marks: the labels with their key texts, set once at
// creation, and the captions and checks that follow the view state.
#pragma once

#include <windows.h>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/core/viewer_state.h"

// Sets the labels of both menus from the settings file; once, at creation.
void BuildMenuLabels(const wchar_t* iniPath, HMENU menuBar, HMENU contextMenu, const Settings& settings);

// Captions and check marks that follow the view state; ends by redrawing the
// menu bar.
void UpdateMenuState(HWND window, HMENU menuBar, HMENU popupMenu, const Settings& settings,
                     const DecodedPicture& picture, int lastListIndex, int animationRunning);

// UpdateMenuState for the main window's record.
inline void UpdateMenus(const ViewerState& state) {
    UpdateMenuState(state.window, state.menuBar, state.popupMenu, state.settings, state.picture, state.lastListIndex,
                    state.animationRunning);
}
