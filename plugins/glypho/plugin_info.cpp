// glypho's information tables and the cut that fits them into a host's buffer.
#include "plugins/glypho/plugin_info.h"

namespace glypho {

namespace {

// "フォントファイル(...)" in code page 932.
#define GLYPHO_FONT_FILE "\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B"

const char* const kWithCollections[4] = {
    "00IN", "glypho by.Quib", "*.ttf;*.otf;*.ttc", GLYPHO_FONT_FILE "(ttf,otf,ttc)"};
const char* const kWithoutCollections[4] = {
    "00IN", "glypho by.Quib", "*.ttf;*.otf", GLYPHO_FONT_FILE "(ttf,otf)"};

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

const char* PluginInfoString(int index, bool collectionsOn) {
    if (index < 0 || index > 3) return nullptr;
    return collectionsOn ? kWithCollections[index] : kWithoutCollections[index];
}

int CopyInfoString(const char* text, char* buffer, int bufferSize) {
    if (bufferSize < 1) return 0;
    int n = 0;
    while (text[n] != 0) {
        int step = IsLeadByte(static_cast<unsigned char>(text[n])) && text[n + 1] != 0 ? 2 : 1;
        if (n + step > bufferSize - 1) break;
        for (int k = 0; k < step; ++k) buffer[n + k] = text[n + k];
        n += step;
    }
    buffer[n] = 0;
    return n;
}

}  // namespace glypho
