// The calls into a plug-in that runs in a host process, each answering as the
// same call in this process would: the plug-in host dispatches to them, so
// that nothing above it knows where a plug-in runs. A plug-in that faults, or
// whose host ends or breaks the protocol during a call, is disabled for the
// session; its host starts again at the next call that needs one.
#pragma once

#include <windows.h>

#include <climits>
#include <cstdint>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/viewer_state.h"

// Result of a plug-in call that faulted (the plug-in has been disabled).
constexpr int32_t kPluginFaulted = INT32_MIN;

// "GetPluginInfo": the string's length, 0 when there is none or the call failed.
int32_t HostedInfo(PluginEntry& entry, int32_t index, char* buffer, int32_t size);

// "IsSupported" with the file's head (spi::kHostHeadSize bytes).
bool HostedIsSupported(PluginEntry& entry, const char* ansiPath, const uint8_t* head);

// "GetPictureInfo" and "GetPicture" (or "GetPreview"): the picture as a
// device-compatible bitmap, or null with `width` = -2.
HBITMAP HostedPicture(PluginEntry& entry, const char* ansiPath, bool preview, HWND window, DecodedPicture& picture);

// "GetArchiveInfo": the member list copied into a block of this process.
int32_t HostedArchiveInfo(PluginEntry& entry, const char* ansiPath, HLOCAL& list);

// "GetFile" into memory (`destination` the address of an HLOCAL, which gets
// a block of this process) or into a folder (an ANSI folder name).
int32_t HostedGetFile(PluginEntry& entry, const char* ansiPath, intptr_t position, void* destination, uint32_t flags);

// "ConfigurationDlg" with `owner` as the dialog's owner.
int32_t HostedConfigure(PluginEntry& entry, HWND owner, int32_t function);
