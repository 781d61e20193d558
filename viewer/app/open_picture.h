// Opening a picture: one flow for the four ways a file arrives (the command
// line at creation, a drop, the open dialog, a second instance's hand-over).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "viewer/filelist/explorer_sync.h"

struct ViewerState;

// Runs the open flow. `droppedPath` is the file of OpenTrigger::Drop; creation
// also sets up the window's menus, settings, mode and timers.
void OpenPicture(ViewerState& state, OpenTrigger trigger, const wchar_t* droppedPath = nullptr);

// The first file of a drop; the drop handle is released.
std::wstring TakeDroppedPath(HDROP drop);

// Decodes the list entry at `currentIndex` again (keeping the file buffer) and
// rebuilds the display bitmap from it: the open's decode, and the reload after
// a resize.
void DecodeCurrentEntry(ViewerState& state);

// The display bitmap again from the decoded picture, turned by the rotation.
void RebuildDisplayBitmap(ViewerState& state);

// Gives the tooltip `text` as its tool's text, in a face that has its
// characters.
void SetTooltipText(ViewerState& state, wchar_t* text);
