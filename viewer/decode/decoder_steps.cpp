// The steps of the decoders not written yet. Each answers "not decoded" (or an
// unknown depth), which sends the file on down the dispatcher, and is replaced
// by the real decoder in its own file.
#include "viewer/decode/decoder_steps.h"

HBITMAP DecodeWithPlugins(const char*, const char*, DecodeState&, const Settings&, const PluginList&, HWND, int,
                          DecodedPicture&, int32_t&) {
    return nullptr;
}

HBITMAP DecodeZipArchive(const char*, DecodeState&, const Settings&, const PluginList&, HWND, int,
                         DecodedPicture&) {
    return nullptr;
}
