// The decode of a wide path; see decode_picture.h.
#include "viewer/decode/decode_picture.h"

#include <shlwapi.h>

#include <cstdlib>

#include "viewer/decode/decode_file.h"

HBITMAP DecodePicture(const wchar_t* path, DecodeState& state, const Settings& settings, const PluginList& plugins,
                      HWND window, int direction, DecodedPicture& picture) {
    picture.bitmap = nullptr;
    if (!PathFileExistsW(path)) {
        picture.width = kStatusMissing;
        return nullptr;
    }
    // Decoders and plug-ins take ANSI paths; the short form opens names that
    // the ANSI code page cannot spell. Without a short form the long one is used.
    wchar_t shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameW(path, shortPath, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH) lstrcpynW(shortPath, path, MAX_PATH);
    char ansiPath[MAX_PATH];
    char ansiExtension[MAX_PATH];
    if (!WideCharToMultiByte(CP_THREAD_ACP, 0, shortPath, -1, ansiPath, MAX_PATH, nullptr, nullptr) ||
        !WideCharToMultiByte(CP_THREAD_ACP, 0, PathFindExtensionW(path), -1, ansiExtension, MAX_PATH, nullptr,
                             nullptr)) {
        picture.width = kStatusUnsupported;
        picture.height = 0;
        return nullptr;
    }
    picture.width = 0;
    picture.height = 0;
    picture.bitmap = DecodeFile(ansiPath, ansiExtension, state, settings, plugins, window, direction, picture);
    return picture.bitmap;
}

void FreeFileBuffer(DecodeState& state) {
    free(state.fileBuffer);
    state.fileBuffer = nullptr;
    state.fileLength = 0;
}
