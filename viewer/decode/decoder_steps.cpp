// The steps of the decoders not written yet. Each answers "not decoded" (or an
// unknown depth), which sends the file on down the dispatcher, and is replaced
// by the real decoder in its own file.
#include "viewer/decode/decoder_steps.h"

uint32_t CountGifFrames(const uint8_t*, uint32_t) { return 0; }

void ReadGifFrameFacts(const DecodeState&, DecodedPicture&, int32_t&) {}

HBITMAP BuildGifFrame(const DecodeState&, DecodedPicture&) { return nullptr; }

bool ScanPngChunks(DecodeState&, DecodedPicture&, int32_t&) { return false; }

HBITMAP BuildApngFrame(const DecodeState&, DecodedPicture&) { return nullptr; }

HBITMAP DecodeWebpFrame(const char*, DecodeState&, DecodedPicture&) { return nullptr; }

HBITMAP DecodeIconImage(const char*, DecodeState&, DecodedPicture&, int32_t&) { return nullptr; }

int32_t ReadTiffBitDepth(const uint8_t*, uint32_t) { return -1; }
