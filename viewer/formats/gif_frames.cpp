// GIF block walker; see gif_frames.h. Every read is checked against what
// remains of the data, written as `n > length - pos` so that it cannot wrap.
#include "viewer/formats/gif_frames.h"

#include <cstring>

#include "viewer/core/pixel_limit.h"

namespace {

// A hostile file of tiny frames could ask for an index larger than itself.
constexpr size_t kMaxFrames = 1u << 20;

uint32_t Read16(const uint8_t* p) { return p[0] | (p[1] << 8); }

// Bytes of a colour table announced by a packed byte (3 × 2^(bits)), or 0.
size_t TableBytes(uint8_t packed) { return (packed & 0x80) ? (size_t{3} << ((packed & 7) + 1)) : 0; }

// The offset after a run of data sub-blocks starting at `pos` (after its 0
// terminator), or kNoBlock when the data end first or a sub-block is longer
// than what remains.
uint32_t SkipSubBlocks(const uint8_t* data, size_t length, size_t pos) {
    while (pos < length) {
        const size_t n = data[pos++];
        if (n == 0) return static_cast<uint32_t>(pos);
        if (n > length - pos) return kNoBlock;
        pos += n;
    }
    return kNoBlock;
}

// The loop count of a looping application extension ("NETSCAPE2.0" or
// "ANIMEXTS1.0" with sub-block 1), or -1 for any other application extension:
// an XMP or ICC block carries no loop count.
int32_t LoopCountOf(const uint8_t* data, uint32_t pos, uint32_t end) {
    if (end - pos < 19 || data[pos + 2] != 11) return -1;
    const uint8_t* id = data + pos + 3;
    if (std::memcmp(id, "NETSCAPE2.0", 11) != 0 && std::memcmp(id, "ANIMEXTS1.0", 11) != 0) return -1;
    if (data[pos + 14] < 3 || data[pos + 15] != 1) return -1;
    return static_cast<int32_t>(Read16(data + pos + 16));
}

// Colour `i` of the table at `table` with `entries` entries as 0x00BBGGRR, or
// -1 when there is no such entry.
int32_t ColourAt(const uint8_t* data, size_t length, size_t table, size_t entries, uint32_t i) {
    if (table == 0 || i >= entries || table + 3 * (i + 1) > length) return -1;
    const uint8_t* c = data + table + 3 * i;
    return c[0] | (c[1] << 8) | (c[2] << 16);
}

}  // namespace

bool IndexGifFrames(const uint8_t* data, size_t length, GifIndex& index) {
    index = GifIndex();
    if (length < 13 || std::memcmp(data, "GIF", 3) != 0) return false;
    index.isGif = true;
    const size_t header = 13 + TableBytes(data[10]);
    if (header > length) {
        index.headerLength = static_cast<uint32_t>(length);
        return true;
    }
    index.headerLength = static_cast<uint32_t>(header);
    size_t pos = header;
    uint32_t segment = static_cast<uint32_t>(pos);
    uint32_t control = kNoBlock;
    int32_t loopCount = -1;
    while (pos < length && index.frames.size() < kMaxFrames) {
        if (data[pos] == 0x2C) {
            if (length - pos < 10) break;
            size_t q = pos + 10;
            const size_t table = TableBytes(data[pos + 9]);
            if (table > length - q) break;
            q += table;
            if (q >= length) break;  // the LZW code size byte
            const uint32_t end = SkipSubBlocks(data, length, q + 1);
            if (end == kNoBlock) break;
            // Without room for another frame the file has the frames found so far.
            if (!index.frames.Push({segment, static_cast<uint32_t>(pos), end, control, loopCount})) break;
            pos = segment = end;
        } else if (data[pos] == 0x21) {
            // Every extension is a label and data sub-blocks, whatever its label.
            if (length - pos < 2) break;
            const uint32_t end = SkipSubBlocks(data, length, pos + 2);
            if (end == kNoBlock) break;
            const uint8_t label = data[pos + 1];
            if (label == 0xF9) control = static_cast<uint32_t>(pos);
            if (label == 0xFF) {
                const int32_t loops = LoopCountOf(data, static_cast<uint32_t>(pos), end);
                if (loops >= 0) loopCount = loops;
            }
            pos = end;
        } else {
            break;  // the trailer, or anything that is no block
        }
    }
    return true;
}

GifFrameFacts ReadGifFacts(const uint8_t* data, size_t length, const GifIndex& index, uint32_t k) {
    GifFrameFacts facts = {};
    const GifFrameSpan& frame = index.frames[k];
    const uint8_t* d = data + frame.descriptor;
    const uint8_t localPacked = d[9];
    facts.depth = ((data[10] >> 4) & 7) + 1;
    if (facts.depth == 1) facts.depth = (localPacked & 7) + 1;
    facts.left = static_cast<int32_t>(Read16(d + 1));
    facts.top = static_cast<int32_t>(Read16(d + 3));
    facts.width = static_cast<int32_t>(Read16(d + 5));
    facts.height = static_cast<int32_t>(Read16(d + 7));
    facts.disposal = 0;
    facts.transparentColor = -1;
    facts.backgroundColor = -1;
    facts.delayMs = -1;
    facts.loopCount = frame.loopCount;

    // The colours of a frame come from its own table when it has one.
    const size_t globalTable = (data[10] & 0x80) ? 13 : 0;
    const size_t globalEntries = size_t{1} << ((data[10] & 7) + 1);
    const bool local = (localPacked & 0x80) != 0;
    const size_t table = local ? frame.descriptor + 10 : globalTable;
    const size_t entries = local ? size_t{1} << ((localPacked & 7) + 1) : globalEntries;

    // A control extension's first sub-block holds packed byte, delay and
    // transparent index; a shorter one tells nothing.
    if (frame.control != kNoBlock && data[frame.control + 2] >= 4) {
        const uint8_t* c = data + frame.control;
        facts.disposal = (c[3] >> 2) & 3;
        if (c[3] & 1) facts.transparentColor = ColourAt(data, length, table, entries, c[6]);
        if (frame.control >= frame.segment) facts.delayMs = static_cast<int32_t>(Read16(c + 4)) * 10;
    }
    // The background index belongs to the global table.
    if (facts.disposal == 2) facts.backgroundColor = ColourAt(data, length, globalTable, globalEntries, data[11]);
    return facts;
}

bool BuildGifFrameBytes(const uint8_t* data, size_t length, const GifIndex& index, uint32_t k,
                        Buffer<uint8_t>& out) {
    out.clear();
    if (k >= index.frames.size()) return false;
    const GifFrameSpan& frame = index.frames[k];
    // At most the header, a grey table, the frame's span and the trailer:
    // with that room made first, no later step can fail.
    const size_t bytes = index.headerLength + 768 + (frame.end - frame.segment) + 1;
    if (!out.Reserve(bytes)) return false;
    out.Append(data, index.headerLength);
    if (!GifFrameHasColours(data, index, k) && out.size() >= 13) {
        out[10] |= 0x87;
        for (int i = 0; i < 256; ++i) out.Fill(static_cast<uint8_t>(i), 3);
    }
    // The extensions between the previous frame and this one: only the
    // control extensions are kept. The walk that indexed them proved them whole.
    size_t pos = frame.segment;
    while (pos < frame.descriptor) {
        const uint32_t end = SkipSubBlocks(data, length, pos + 2);
        if (data[pos + 1] == 0xF9) out.Append(data + pos, end - pos);
        pos = end;
    }
    out.Append(data + frame.descriptor, frame.end - frame.descriptor);
    out.Push(0x3B);
    return true;
}

bool GifFrameHasColours(const uint8_t* data, const GifIndex& index, uint32_t k) {
    return (data[10] & 0x80) || (k < index.frames.size() && (data[index.frames[k].descriptor + 9] & 0x80));
}

namespace {

// Reads the codes of an LZW stream held in data sub-blocks, least
// significant bit first.
struct CodeReader {
    const uint8_t* data;
    size_t pos, end;     // the next sub-block's size byte, and where the frame's data end
    size_t left = 0;     // bytes left in the current sub-block
    uint32_t bits = 0, count = 0;
    // False at the end of the data.
    bool Next(uint32_t size, uint32_t& code) {
        while (count < size) {
            if (left == 0) {
                if (pos >= end || data[pos] == 0) return false;
                left = data[pos++];
                if (left > end - pos) left = end - pos;
                if (left == 0) return false;
            }
            bits |= static_cast<uint32_t>(data[pos++]) << count;
            count += 8;
            --left;
        }
        code = bits & ((1u << size) - 1);
        bits >>= size;
        count -= size;
        return true;
    }
};

// The LZW codes of a frame as colour indexes in stream order; returns how
// many pixels the data gave.
size_t DecodeIndexes(CodeReader reader, uint32_t minimum, Buffer<uint8_t>& out) {
    const uint32_t clear = 1u << minimum, stop = clear + 1;
    uint16_t prefix[4096];
    uint8_t suffix[4096];
    uint8_t stack[4097];
    uint32_t size = minimum + 1, next = clear + 2, code = 0;
    int32_t old = -1;
    uint8_t first = 0;
    size_t produced = 0;
    while (produced < out.size() && reader.Next(size, code)) {
        if (code == clear) {
            size = minimum + 1;
            next = clear + 2;
            old = -1;
            continue;
        }
        if (code == stop) break;
        if (old < 0) {
            if (code >= clear) break;
            first = static_cast<uint8_t>(code);
            out[produced++] = first;
            old = static_cast<int32_t>(code);
            continue;
        }
        const uint32_t in = code;
        size_t depth = 0;
        if (code > next) break;
        if (code == next) {
            stack[depth++] = first;
            code = static_cast<uint32_t>(old);
        }
        while (code >= clear + 2 && depth < 4096) {
            stack[depth++] = suffix[code];
            code = prefix[code];
        }
        if (code >= clear) break;
        first = static_cast<uint8_t>(code);
        stack[depth++] = first;
        while (depth > 0 && produced < out.size()) out[produced++] = stack[--depth];
        if (next < 4096) {
            prefix[next] = static_cast<uint16_t>(old);
            suffix[next] = first;
            ++next;
            if (next == (1u << size) && size < 12) ++size;
        }
        old = static_cast<int32_t>(in);
    }
    return produced;
}

// The display row of stream row `row` of an interlaced frame: rows 0, 8, 16
// ... first, then 4, 12 ..., then 2, 6 ..., then the odd rows.
uint32_t InterlacedRow(uint32_t row, uint32_t height) {
    const uint32_t pass1 = (height + 7) / 8, pass2 = (height + 3) / 8, pass3 = (height + 1) / 4;
    if (row < pass1) return row * 8;
    row -= pass1;
    if (row < pass2) return 4 + row * 8;
    row -= pass2;
    if (row < pass3) return 2 + row * 4;
    return 1 + (row - pass3) * 2;
}

}  // namespace

bool DecodeGifFramePixels(const uint8_t* data, size_t length, const GifIndex& index, uint32_t k,
                          Buffer<uint32_t>& pixels) {
    if (k >= index.frames.size() || index.frames[k].end > length) return false;
    const GifFrameSpan& frame = index.frames[k];
    const uint8_t* d = data + frame.descriptor;
    const uint32_t width = Read16(d + 5), height = Read16(d + 7);
    if (!WithinPixelLimit(width, height)) return false;
    const uint8_t packed = d[9];
    const size_t codeSize = frame.descriptor + 10 + TableBytes(packed);
    const uint32_t minimum = data[codeSize];
    if (minimum < 1 || minimum > 11) return false;

    // The frame's own table, else the global one, else grey levels.
    uint32_t palette[256];
    const size_t table = (packed & 0x80) ? frame.descriptor + 10 : (data[10] & 0x80) ? 13 : 0;
    const size_t entries = table == 0 ? 256 : size_t{1} << (((table == 13 ? data[10] : packed) & 7) + 1);
    for (uint32_t i = 0; i < 256; ++i) {
        palette[i] = table == 0 ? 0xFF000000u | i * 0x010101u : 0xFF000000u;
        if (table != 0 && i < entries) {
            const uint8_t* c = data + table + 3 * i;
            palette[i] |= (c[0] << 16) | (c[1] << 8) | c[2];
        }
    }
    if (frame.control != kNoBlock && data[frame.control + 2] >= 4 && (data[frame.control + 3] & 1)) {
        palette[data[frame.control + 6]] = 0;
    }

    Buffer<uint8_t> stream;
    pixels.clear();
    if (!stream.Resize(static_cast<size_t>(width) * height) || !pixels.Resize(stream.size())) return false;
    const CodeReader reader = {data, codeSize + 1, frame.end};
    const size_t produced = DecodeIndexes(reader, minimum, stream);
    const bool interlaced = (packed & 0x40) != 0;
    for (size_t p = 0; p < produced; ++p) {
        const uint32_t row = static_cast<uint32_t>(p / width);
        const size_t at = static_cast<size_t>(interlaced ? InterlacedRow(row, height) : row) * width + p % width;
        pixels[at] = palette[stream[p]];
    }
    return true;
}
