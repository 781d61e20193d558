// PNG chunk walker; see png_frames.h.
#include "viewer/formats/png_frames.h"

#include <cstring>

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

uint32_t Read32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
uint32_t Read16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

// The writers below append into room made beforehand, where no append fails.
void Put32(Buffer<uint8_t>& out, uint32_t v) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                              static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    out.Append(bytes, 4);
}

bool IsType(const uint8_t* chunk, const char* type) { return std::memcmp(chunk + 4, type, 4) == 0; }

// A chunk of type `type` holding `length` bytes, with its CRC.
void AppendChunk(Buffer<uint8_t>& out, const char* type, const uint8_t* dataBytes, uint32_t length) {
    Put32(out, length);
    const size_t typeAt = out.size();
    out.Append(reinterpret_cast<const uint8_t*>(type), 4);
    out.Append(dataBytes, length);
    Put32(out, PngCrc(0, out.data() + typeAt, 4 + size_t{length}));
}

// Depth of a palette of `entries` colours.
int32_t PaletteDepth(uint32_t entries) {
    if (entries > 16) return 8;
    if (entries > 4) return 4;
    if (entries > 2) return 2;
    return 1;
}

// A grey sample of `bits` bits as an 8-bit value.
uint32_t GreyByte(uint32_t sample, uint8_t bits) {
    if (bits == 16) return sample >> 8;
    if (bits >= 8 || bits == 0) return sample & 0xFF;
    const uint32_t max = (1u << bits) - 1;
    return (sample & max) * 255 / max;
}

}  // namespace

uint32_t PngCrc(uint32_t crc, const uint8_t* bytes, size_t length) {
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        made = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool IndexPngChunks(const uint8_t* data, size_t length, PngIndex& index) {
    index = PngIndex();
    if (length < 8 || std::memcmp(data + 1, "PNG", 3) != 0) return false;
    index.isPng = true;
    if (length >= 33 && Read32(data + 8) >= 13 && IsType(data + 8, "IHDR")) {
        index.hasHeader = true;
        index.width = Read32(data + 16);
        index.height = Read32(data + 20);
        index.colourType = data[25];
        if (index.colourType == 2) index.depth = 24;
        if (index.colourType == 6) index.depth = 32;
    }
    uint32_t acTLFrames = 0;
    bool roomy = true;  // every list found memory for what it had to hold
    bool imageDataSeen = false;
    size_t pos = 8;
    while (pos < length && length - pos >= 12) {
        const uint8_t* chunk = data + pos;
        const uint32_t n = Read32(chunk);
        if (n > length - pos - 12) break;  // longer than what remains
        const uint32_t at = static_cast<uint32_t>(pos);
        if (IsType(chunk, "IEND")) {
            index.imageEnd = at;
            break;
        }
        if (IsType(chunk, "acTL") && n >= 8 && !index.animated) {
            index.animated = true;
            acTLFrames = Read32(chunk + 8);
            index.playCount = Read32(chunk + 12);
        } else if (IsType(chunk, "fcTL") && n >= 26) {
            if (!index.controls.empty()) roomy = roomy && index.spanEnds.Push(at);
            roomy = roomy && index.controls.Push(at) && index.inImageData.Push(imageDataSeen ? 0 : 1);
        } else if (IsType(chunk, "IDAT")) {
            if (!index.animated && index.controls.empty()) index.stillImageData = true;
            imageDataSeen = true;
        } else if (IsType(chunk, "PLTE")) {
            index.depth = PaletteDepth(n / 3);
            roomy = roomy && index.kept.Push(at);
        } else if (IsType(chunk, "tRNS")) {
            if (index.colourType == 2 && n >= 6) {
                index.transparentColor = chunk[9] | (chunk[11] << 8) | (chunk[13] << 16);
            } else if (index.colourType == 0 && n >= 2 && index.hasHeader) {
                const uint32_t grey = GreyByte(Read16(chunk + 8), data[24]);
                index.transparentColor = static_cast<int32_t>(grey | (grey << 8) | (grey << 16));
            }
            roomy = roomy && index.kept.Push(at);
        }
        pos += size_t{n} + 12;
    }
    if (!index.controls.empty()) {
        roomy = roomy && index.spanEnds.Push(index.imageEnd != kNone ? index.imageEnd : static_cast<uint32_t>(pos));
    }
    if (!roomy) {
        index.animated = false;
        index.controls.Release();
        index.spanEnds.Release();
        index.inImageData.Release();
        index.kept.Release();
    }
    // The count that "acTL" claims, but never more frames than the file has.
    if (index.animated) {
        index.frameCount = acTLFrames < index.controls.size() ? acTLFrames : static_cast<uint32_t>(index.controls.size());
    }
    return true;
}

bool ReadPngFrameFacts(const uint8_t* data, const PngIndex& index, uint32_t k, PngFrameFacts& facts) {
    if (!index.animated) {
        if (k != 0 || !index.stillImageData) return false;
        facts = {0, 0, static_cast<int32_t>(index.width), static_cast<int32_t>(index.height), 0, -1};
        return true;
    }
    if (k >= index.frameCount) return false;
    const uint8_t* c = data + index.controls[k] + 8;
    facts.width = static_cast<int32_t>(Read32(c + 4));
    facts.height = static_cast<int32_t>(Read32(c + 8));
    facts.left = static_cast<int32_t>(Read32(c + 12));
    facts.top = static_cast<int32_t>(Read32(c + 16));
    const uint32_t numerator = Read16(c + 20);
    uint32_t denominator = Read16(c + 22);
    if (denominator == 0) denominator = 100;
    facts.delayMs = static_cast<int32_t>(numerator * 1000 / denominator);
    int32_t dispose = c[24] <= 2 ? c[24] : 0;
    if (k == 0 && dispose == 2) dispose = 1;
    int32_t code = dispose + 1;
    if (c[25] == 1) code += 8;
    facts.disposal = index.inImageData[k] ? -code : code;
    return true;
}

bool BuildPngFrameBytes(const uint8_t* data, size_t length, const PngIndex& index, uint32_t k,
                        Buffer<uint8_t>& out) {
    out.clear();
    if (!index.animated || !index.hasHeader || k >= index.frameCount) return false;
    const uint32_t control = index.controls[k];
    const uint32_t spanStart = control + 12 + Read32(data + control);
    const uint32_t spanEnd = index.spanEnds[k];
    // At most the signature, the header, every kept chunk, the frame's span
    // ("fdAT" becomes a shorter "IDAT") and the end: that room is made first.
    size_t bytes = 8 + 25 + size_t{spanEnd - spanStart} + 12;
    for (size_t i = 0; i < index.kept.size(); ++i) bytes += 12 + size_t{Read32(data + index.kept[i])};
    if (!out.Reserve(bytes)) return false;
    out.Append(data, 8);
    uint8_t header[13];
    std::memcpy(header, data + control + 12, 8);  // the frame's width and height
    std::memcpy(header + 8, data + 24, 5);         // depth, colour type and the rest
    AppendChunk(out, "IHDR", header, 13);

    auto keep = [&](uint32_t at) {
        const uint32_t n = Read32(data + at);
        out.Append(data + at, 12 + size_t{n});
    };
    // In file order: the kept chunks before the frame, the frame's chunks with
    // the kept ones among them, the kept chunks after it, the end.
    size_t next = 0;
    while (next < index.kept.size() && index.kept[next] < spanStart) keep(index.kept[next++]);
    for (size_t pos = spanStart; pos < spanEnd;) {
        const uint8_t* chunk = data + pos;
        const uint32_t n = Read32(chunk);
        if (IsType(chunk, "fdAT") && n >= 4) {
            AppendChunk(out, "IDAT", chunk + 12, n - 4);
        } else if ((IsType(chunk, "IDAT") && index.inImageData[k]) || IsType(chunk, "PLTE") ||
                   IsType(chunk, "tRNS")) {
            keep(static_cast<uint32_t>(pos));
        }
        pos += size_t{n} + 12;
    }
    while (next < index.kept.size() && index.kept[next] < spanEnd) ++next;  // written with the frame
    while (next < index.kept.size()) keep(index.kept[next++]);
    // The end as the standard writes it, whatever a damaged file holds there.
    if (index.imageEnd != kNone) AppendChunk(out, "IEND", nullptr, 0);
    (void)length;
    return true;
}
