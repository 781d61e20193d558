// Pictures inside archives: the members of a zip file (read with minizip) and
// of any file that an archive plug-in accepts. An archive is a picture with
// sub-images: `subIndex` is the member shown, `lastIndex` the highest member
// number, and the direction says which way to look for the next member that
// decodes. Each candidate member is extracted under a safe name of the
// viewer's own into the viewer's own temporary folder, decoded like a plain
// file with a decode state of its own, and deleted at once, so that the folder
// holds nothing between decodes. The member list is read once per archive and
// kept with the decode state until the file changes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "spi/susie.h"
#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/core/viewer_state.h"
#include "viewer/plugins/plugin_host.h"
#include "viewer/plugins/temp_folder.h"

// Decodes an extracted member file like a plain file (`extension` is that of
// its name; `ansiPath` its name for plug-ins, empty when it has none), with a
// decode state of its own that it frees again. The dispatcher hands its own
// decode down, so that a member is decoded by the same rules as any file,
// archives inside archives included, without the archive access knowing the
// dispatcher.
typedef HBITMAP (*MemberDecoder)(const wchar_t* path, const char* ansiPath, const char* extension,
                                 const Settings& settings, PluginList& plugins, HWND window, int direction,
                                 DecodedPicture& picture);

// Asked before each member after the first whether the search must give
// way: the window's thread gives way to a key or button pressed meanwhile,
// the read-ahead thread to a cancel.
typedef bool (*ArchiveStopCheck)(void* context);

// Starts the allowance of one decode on the calling thread across every
// archive nesting level: members tried, and directory entries listed. Once it
// is spent, or once `stop` (if any) says so, every archive search fails with
// `width` = -2 and leaves `subIndex` at the last member it tried, for the next
// step to go on from.
void BeginArchiveAllowance(ArchiveStopCheck stop, void* context);

// The first member of the zip file at `path` that decodes, searching from
// `state.subIndex` in `direction`; null, with `width` = -2 (and `height` = -4
// when a member was over "MaxSizeInArchive"), when none does.
HBITMAP DecodeZipMember(const wchar_t* path, DecodeState& state, const Settings& settings, PluginList& plugins,
                        HWND window, int direction, MemberDecoder decodeMember, DecodedPicture& picture);

// The same for an archive that the plug-in at `position` accepted.
HBITMAP DecodeArchivePluginMember(const wchar_t* path, const char* ansiPath, PluginList& plugins, size_t position,
                                  DecodeState& state, const Settings& settings, HWND window, int direction,
                                  MemberDecoder decodeMember, DecodedPicture& picture);

// Extracts one member of a plug-in archive with "GetFile" (into memory, or
// into a folder of the temporary folder when the plug-in cannot give it in
// memory) and decodes it; `tooLarge` is set when the member, as declared or as
// written, is over the size limit.
HBITMAP ExtractPluginMember(const char* ansiPath, PluginList& plugins, size_t position,
                            const spi::ArchiveMemberRecord& record, const Settings& settings, HWND window,
                            int direction, MemberDecoder decodeMember, DecodedPicture& picture, bool& tooLarge);

// Forgets the member list kept for the current archive.
void FreeArchiveIndex(DecodeState& state);
