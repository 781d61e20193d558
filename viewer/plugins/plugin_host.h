// The Susie plug-ins loaded from the plug-in folder: loading them, offering a
// file to them before the program's own decoders, and turning an image
// plug-in's blocks into a bitmap. A plug-in of the other bitness, and every
// plug-in with "IsolatePlugins" on, runs in a host process; each call here
// goes to wherever the plug-in runs. Every call into a plug-in runs under the
// fault guard; a plug-in that faulted stays loaded but is asked nothing more
// this session, and the next plug-in or decoder answers. Loading and freeing
// a module, which runs its start-up and closing code, are guarded the same
// way. Every block that a plug-in hands back is
// freed here, whatever the call's result; after a fault none is touched.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "spi/susie.h"
#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/core/viewer_state.h"
#include "viewer/plugins/hosted_calls.h"

// Fills `plugins` from the folder "SpiDir" names (the program's folder when it
// is empty): every "*.spi" and "*.sph" module of either bitness that
// "IgnoreSpi" does not name, in the order the folder search returns them. A
// module of this program's bitness is loaded here unless "IsolatePlugins" is
// on; the others are listed for the host of their bitness, found in
// `programFolder` (the folder of this program's module when it is empty) and
// started at the first call that needs it.
void LoadPlugins(const wchar_t* programFolder, const wchar_t* iniPath, PluginList& plugins);

// Frees every loaded plug-in and ends the hosts.
void FreePlugins(PluginList& plugins);

// Takes the plug-in at `position` out of service for the rest of the session.
void DisablePlugin(PluginList& plugins, size_t position);

// Frees a block that a plug-in handed back (null is nothing).
void FreePluginBlock(void* block);

// Whether the plug-in's file-name patterns (information strings 2, 4, ... up
// to 200) contain `extension` (with its dot), both lowered.
bool ExtensionListed(const char* extension, PluginList& plugins, size_t position);

// How an archive plug-in that accepted the file is read: the member search of
// the archive access, which calls back into the plug-ins through this host.
typedef HBITMAP (*ArchivePluginReader)(const wchar_t* path, const char* ansiPath, PluginList& plugins,
                                       size_t position, DecodeState& state, const Settings& settings, HWND window,
                                       int direction, DecodedPicture& picture);

// Offers the file to the plug-ins in list order and returns the first bitmap
// one of them makes: an image plug-in's picture, or a member of an archive
// plug-in's archive read by `readArchive` ("SearchInArchive" on), with
// `fromArchive` set. Null, with `width` = -2, when none does. `depth` is an
// image plug-in's bit count.
HBITMAP ProbePlugins(const wchar_t* path, const char* ansiPath, const char* extension, DecodeState& state,
                     const Settings& settings, PluginList& plugins, HWND window, int direction,
                     ArchivePluginReader readArchive, DecodedPicture& picture, int32_t& depth, bool& fromArchive);

// The picture of an image plug-in as a bitmap compatible with the window's
// device, or null with `width` = -2.
HBITMAP DecodeWithImagePlugin(const char* ansiPath, PluginList& plugins, size_t position, HWND window,
                              DecodedPicture& picture);

// The progress callback handed to plug-ins: drops one pending keyboard or
// mouse message, so that input given while a plug-in works is not acted on
// later, and lets the plug-in go on until Esc is pressed. `data` is the
// address of the call's PluginCallInput record.
int32_t SPI_API PluginProgress(int32_t step, int32_t total, intptr_t data);

// "IsSupported" with the file's head (spi::kHostHeadSize bytes); a fault
// disables the plug-in and answers no.
bool CallIsSupported(PluginList& plugins, size_t position, const char* ansiPath, const uint8_t* head);

// The plug-in's "ConfigurationDlg" (function 1: its settings) with `owner`
// as the dialog's owner; -1 when it has none.
int32_t CallConfigurationDialog(PluginList& plugins, size_t position, HWND owner, int32_t function);

// "GetArchiveInfo" with file input; `list` receives the member list's handle.
// kPluginFaulted, or -1 when the plug-in has no such export.
int32_t CallGetArchiveInfo(PluginList& plugins, size_t position, const char* ansiPath, HLOCAL& list);

// "GetFile" of the member at `memberPosition`, into memory (`destination` is
// the address of an HLOCAL, which the caller frees whatever the result) or
// into a folder (an ANSI folder name).
int32_t CallGetFile(PluginList& plugins, size_t position, const char* ansiPath, intptr_t memberPosition,
                    void* destination, uint32_t flags);
