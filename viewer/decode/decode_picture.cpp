// Decoder dispatch; see decode_picture.h. Only the status of a file can be told
// so far: missing or unsupported.
#include "viewer/decode/decode_picture.h"

#include <shlwapi.h>

#include <cstdlib>

HBITMAP DecodePicture(const wchar_t* path, DecodeState&, const Settings&, const PluginList&, HWND, int,
                      DecodedPicture& picture) {
    picture.premultipliedAlpha = 0;
    picture.lastIndex = -1;
    picture.bitmap = nullptr;
    if (!PathFileExistsW(path)) {
        picture.width = kStatusMissing;
        return nullptr;
    }
    picture.width = kStatusUnsupported;
    picture.height = 0;
    return nullptr;
}

void FreeFileBuffer(DecodeState& state) {
    free(state.fileBuffer);
    state.fileBuffer = nullptr;
    state.fileLength = 0;
}
