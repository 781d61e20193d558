// Menu labels and check marks. The labels with their key texts and the state
// captions are not built yet; the menus keep their resource captions.
#pragma once

#include <windows.h>

#include "viewer/app/settings.h"
#include "viewer/decode/decoded_picture.h"

// Sets the labels of both menus from the settings file; once, at creation.
void BuildMenuLabels(const wchar_t* iniPath, HMENU menuBar, HMENU contextMenu, const Settings& settings);

// Captions and check marks that follow the view state; ends by redrawing the
// menu bar.
void UpdateMenuState(HWND window, HMENU menuBar, HMENU popupMenu, const Settings& settings,
                     const DecodedPicture& picture, int lastListIndex, int animationRunning);
