// The decode of a wide path; see decode_picture.h.
#include "viewer/decode/decode_picture.h"

#include <shlwapi.h>

#include "viewer/archive/archive_access.h"
#include "viewer/core/input_waiting.h"
#include "viewer/decode/decode_file.h"
#include "viewer/plugins/ansi_path.h"

HBITMAP DecodePicture(const wchar_t* path, DecodeState& state, const Settings& settings, PluginList& plugins,
                      HWND window, int direction, DecodedPicture& picture) {
    picture.bitmap = nullptr;
    if (!PathFileExistsW(path)) {
        // Nothing of the entry before it stays: no member count either.
        picture.width = kStatusMissing;
        picture.lastIndex = -1;
        return nullptr;
    }
    // Plug-ins take ANSI paths: the short form spells names that the ANSI
    // code page cannot; a name that still has no exact ANSI form goes to no
    // plug-in. The viewer's own decoders read the wide path.
    char ansiPath[MAX_PATH] = "";
    char ansiExtension[MAX_PATH];
    // The short name is asked of the file system: only when a plug-in needs it.
    if (!plugins.empty()) AnsiPathOf(path, ansiPath);
    ToAnsiExactly(PathFindExtensionW(path), ansiExtension);
    picture.width = 0;
    picture.height = 0;
    // A member search gives way to a key or button pressed meanwhile.
    BeginArchiveAllowance([](void*) { return PressWaiting(); }, nullptr);
    picture.bitmap =
        DecodeFile(path, ansiPath, ansiExtension, state, settings, plugins, window, direction, picture);
    return picture.bitmap;
}
