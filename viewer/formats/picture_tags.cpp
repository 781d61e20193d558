// Orientation and profile walkers; see picture_tags.h. Every read goes
// through a cursor that refuses to pass the end of its data, and every length
// taken from the file is checked against what remains before it is used.
#include "viewer/formats/picture_tags.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

struct Cursor {
    const uint8_t* data;
    size_t length;
    size_t position;

    size_t Left() const { return length - position; }
    bool Has(size_t n) const { return n <= length - position; }
    const uint8_t* Here() const { return data + position; }
    bool Skip(size_t n) {
        if (!Has(n)) return false;
        position += n;
        return true;
    }
};

uint32_t Be16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t Be32(const uint8_t* p) { return (Be16(p) << 16) | Be16(p + 2); }
uint32_t Le32(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24); }

bool Starts(const uint8_t* data, size_t length, const char* text, size_t n) {
    return length >= n && std::memcmp(data, text, n) == 0;
}

// A profile is taken when its header states a size that the bytes hold and
// carries the "acsp" signature; the bytes past the stated size are dropped.
bool KeepProfile(Buffer<uint8_t>& profile) {
    if (profile.size() < 132 || std::memcmp(profile.data() + 36, "acsp", 4) != 0) {
        profile.clear();
        return false;
    }
    const uint32_t stated = Be32(profile.data());
    if (stated < 132 || stated > profile.size()) {
        profile.clear();
        return false;
    }
    profile.Resize(stated);
    return true;
}

// The TIFF block of an EXIF payload: some writers put the JPEG segment's
// "Exif\0\0" before it in PNG and WebP files too.
int32_t OrientationInExif(const uint8_t* data, size_t length) {
    if (Starts(data, length, "Exif\0\0", 6)) return OrientationInTiff(data + 6, length - 6);
    return OrientationInTiff(data, length);
}

struct Tiff {
    const uint8_t* data;
    size_t length;
    bool little;
    uint32_t U16(size_t at) const {
        return little ? data[at] | (uint32_t{data[at + 1]} << 8) : Be16(data + at);
    }
    uint32_t U32(size_t at) const { return little ? Le32(data + at) : Be32(data + at); }
};

// The first directory of a TIFF block: where its entries begin and how many
// lie inside the data.
bool FirstDirectory(const uint8_t* data, size_t length, Tiff& tiff, size_t& entries, uint32_t& count) {
    if (length < 8) return false;
    if (Starts(data, length, "II*\0", 4)) {
        tiff = {data, length, true};
    } else if (Starts(data, length, "MM\0*", 4)) {
        tiff = {data, length, false};
    } else {
        return false;
    }
    const uint32_t directory = tiff.U32(4);
    if (directory < 8 || directory > length - 2) return false;
    entries = size_t{directory} + 2;
    count = std::min<uint32_t>(tiff.U16(directory), static_cast<uint32_t>((length - entries) / 12));
    return true;
}

void ProfileInTiff(const uint8_t* data, size_t length, Buffer<uint8_t>& profile) {
    Tiff tiff = {};
    size_t entries = 0;
    uint32_t count = 0;
    if (!FirstDirectory(data, length, tiff, entries, count)) return;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = entries + 12 * size_t{i};
        if (tiff.U16(e) != 34675) continue;
        const uint32_t type = tiff.U16(e + 2);
        const uint32_t size = tiff.U32(e + 4);
        const uint32_t at = tiff.U32(e + 8);
        // Bytes (1) or undefined (7); a profile never fits the entry itself.
        if ((type != 1 && type != 7) || size <= 4 || size > kMaxProfileBytes || at > length ||
            size > length - at) {
            return;
        }
        if (profile.Append(data + at, size)) KeepProfile(profile);
        return;
    }
}

// JPEG: markers up to the start of the scan. APP1 "Exif" gives the
// orientation; APP2 "ICC_PROFILE" segments carry the profile in numbered
// pieces, joined in the order of their numbers, all of which must be there.
void WalkJpeg(const uint8_t* data, size_t length, bool wantOrientation, bool wantProfile, PictureTags& tags) {
    Cursor c = {data, length, 2};
    bool orientationSeen = false;
    // Where each piece lies, by its number (1 to 255); a number seen twice
    // spoils the profile.
    struct Piece {
        size_t offset = 0, size = 0;
        bool seen = false;
    };
    Piece pieces[256] = {};
    uint32_t pieceCount = 0, piecesSeen = 0;
    bool piecesBad = false;
    while (c.Has(2)) {
        if (c.Here()[0] != 0xFF) break;
        const uint8_t marker = c.Here()[1];
        if (marker == 0xFF) {  // fill byte
            c.Skip(1);
            continue;
        }
        c.Skip(2);
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (marker == 0xDA || marker == 0xD9 || !c.Has(2)) break;
        const size_t size = Be16(c.Here());
        if (size < 2 || !c.Has(size)) break;
        const uint8_t* body = c.Here() + 2;
        const size_t bodySize = size - 2;
        if (marker == 0xE1 && wantOrientation && !orientationSeen && Starts(body, bodySize, "Exif\0\0", 6)) {
            orientationSeen = true;
            tags.orientation = OrientationInTiff(body + 6, bodySize - 6);
        } else if (marker == 0xE2 && wantProfile && Starts(body, bodySize, "ICC_PROFILE\0", 12) && bodySize >= 14) {
            const uint32_t number = body[12];
            const uint32_t total = body[13];
            if (number == 0 || total == 0 || number > total || (pieceCount && total != pieceCount)) piecesBad = true;
            pieceCount = total;
            if (!piecesBad && pieces[number].seen) piecesBad = true;
            if (!piecesBad) {
                pieces[number] = {static_cast<size_t>(body + 14 - data), bodySize - 14, true};
                ++piecesSeen;
            }
        }
        c.Skip(size);
    }
    // With every number up to the count seen once, none is missing.
    if (!wantProfile || piecesSeen == 0 || piecesBad || piecesSeen != pieceCount) return;
    size_t total = 0;
    for (uint32_t i = 1; i <= pieceCount; ++i) total += pieces[i].size;
    if (total > kMaxProfileBytes || !tags.profile.Reserve(total)) return;
    for (uint32_t i = 1; i <= pieceCount; ++i) tags.profile.Append(data + pieces[i].offset, pieces[i].size);
    KeepProfile(tags.profile);
}

// The zlib stream of an "iCCP" chunk, inflated with a bound on its output.
void InflateProfile(const uint8_t* data, size_t length, Buffer<uint8_t>& profile) {
    z_stream stream = {};
    if (!profile.Resize(4096) || inflateInit(&stream) != Z_OK) {
        profile.Release();
        return;
    }
    size_t produced = 0;
    size_t consumed = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (produced == profile.size()) {
            if (profile.size() >= kMaxProfileBytes || !profile.Resize(std::min(profile.size() * 2, kMaxProfileBytes))) {
                break;
            }
        }
        // zlib counts in 32 bits: feed it in pieces it can count.
        const size_t input = std::min<size_t>(length - consumed, 1u << 30);
        const size_t room = std::min<size_t>(profile.size() - produced, 1u << 30);
        stream.next_in = const_cast<Bytef*>(data + consumed);
        stream.avail_in = static_cast<uInt>(input);
        stream.next_out = profile.data() + produced;
        stream.avail_out = static_cast<uInt>(room);
        result = inflate(&stream, Z_NO_FLUSH);
        consumed += input - stream.avail_in;
        produced += room - stream.avail_out;
        if (result == Z_OK && stream.avail_in == input && stream.avail_out == room) break;  // no progress
        if (result == Z_BUF_ERROR && consumed < length) result = Z_OK;
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        profile.Release();
        return;
    }
    profile.Resize(produced);
    KeepProfile(profile);
}

void WalkPng(const uint8_t* data, size_t length, bool wantOrientation, bool wantProfile, PictureTags& tags) {
    Cursor c = {data, length, 8};
    bool orientationSeen = false;
    bool profileSeen = false;
    while (c.Has(12)) {
        const uint32_t size = Be32(c.Here());
        const uint8_t* type = c.Here() + 4;
        if (size > c.Left() - 12) break;
        const uint8_t* body = c.Here() + 8;
        if (std::memcmp(type, "IEND", 4) == 0) break;
        if (wantOrientation && !orientationSeen && std::memcmp(type, "eXIf", 4) == 0) {
            orientationSeen = true;
            tags.orientation = OrientationInExif(body, size);
        } else if (wantProfile && !profileSeen && std::memcmp(type, "iCCP", 4) == 0) {
            profileSeen = true;
            // A name of 1 to 79 bytes, its terminator, method 0 (deflate).
            const uint8_t* end = static_cast<const uint8_t*>(std::memchr(body, 0, std::min<size_t>(size, 80)));
            if (end && end > body && static_cast<size_t>(end - body) + 2 <= size && end[1] == 0) {
                const size_t skip = static_cast<size_t>(end - body) + 2;
                InflateProfile(body + skip, size - skip, tags.profile);
            }
        }
        c.Skip(size_t{size} + 12);
    }
}

// WebP: RIFF chunks, each padded to an even size. The "ICCP" and "EXIF"
// chunks hold the profile and the EXIF payload as they are.
void WalkWebp(const uint8_t* data, size_t length, bool wantOrientation, bool wantProfile, PictureTags& tags) {
    // The RIFF size bounds the chunks when it is smaller than the file.
    const size_t riffEnd = std::min<size_t>(length, size_t{Le32(data + 4)} + 8);
    if (riffEnd < 12) return;
    Cursor c = {data, riffEnd, 12};
    bool orientationSeen = false;
    bool profileSeen = false;
    while (c.Has(8)) {
        const uint32_t size = Le32(c.Here() + 4);
        const uint8_t* type = c.Here();
        if (size > c.Left() - 8) break;
        const uint8_t* body = c.Here() + 8;
        if (wantOrientation && !orientationSeen && std::memcmp(type, "EXIF", 4) == 0) {
            orientationSeen = true;
            tags.orientation = OrientationInExif(body, size);
        } else if (wantProfile && !profileSeen && std::memcmp(type, "ICCP", 4) == 0) {
            profileSeen = true;
            if (size <= kMaxProfileBytes && tags.profile.Append(body, size)) KeepProfile(tags.profile);
        }
        const size_t step = size_t{size} + 8 + (size & 1);
        if (!c.Skip(std::min(step, c.Left()))) break;
    }
}

}  // namespace

int32_t OrientationInTiff(const uint8_t* data, size_t length) {
    Tiff tiff = {};
    size_t entries = 0;
    uint32_t count = 0;
    if (!FirstDirectory(data, length, tiff, entries, count)) return 1;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = entries + 12 * size_t{i};
        if (tiff.U16(e) != 274) continue;
        // A short as the standard has it; a long is read as its value too.
        const uint32_t type = tiff.U16(e + 2);
        uint32_t value = 0;
        if (type == 3) {
            value = tiff.U16(e + 8);
        } else if (type == 4) {
            value = tiff.U32(e + 8);
        }
        return value >= 1 && value <= 8 ? static_cast<int32_t>(value) : 1;
    }
    return 1;
}

bool ReadPictureTags(const uint8_t* data, size_t length, bool wantOrientation, bool wantProfile,
                     PictureTags& tags) {
    tags = PictureTags{};
    if (!data) return false;
    if (Starts(data, length, "\xFF\xD8", 2)) {
        WalkJpeg(data, length, wantOrientation, wantProfile, tags);
    } else if (Starts(data, length, "\x89PNG\r\n\x1A\n", 8)) {
        WalkPng(data, length, wantOrientation, wantProfile, tags);
    } else if (length >= 12 && Starts(data, length, "RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0) {
        WalkWebp(data, length, wantOrientation, wantProfile, tags);
    } else if (Starts(data, length, "II*\0", 4) || Starts(data, length, "MM\0*", 4)) {
        if (wantOrientation) tags.orientation = OrientationInTiff(data, length);
        if (wantProfile) ProfileInTiff(data, length, tags.profile);
    } else {
        return false;
    }
    return true;
}

void OrientedSize(int32_t orientation, int32_t width, int32_t height, int32_t& outWidth, int32_t& outHeight) {
    const bool across = orientation >= 5 && orientation <= 8;
    outWidth = across ? height : width;
    outHeight = across ? width : height;
}

void OrientPixels(const uint32_t* source, int32_t width, int32_t height, int32_t orientation, uint32_t* target) {
    OrientBand(source, width, height, 0, height, orientation, target);
}

void OrientBand(const uint32_t* band, int32_t width, int32_t height, int32_t top, int32_t rows,
                int32_t orientation, uint32_t* target) {
    if (width <= 0 || height <= 0 || top < 0 || rows <= 0 || rows > height - top) return;
    const ptrdiff_t w = width;
    const ptrdiff_t h = height;
    // Source pixel (x, y) goes to target pixel base + x * stepX + y * stepY.
    ptrdiff_t base = 0, stepX = 1, stepY = w;
    switch (orientation) {
    case 2: base = w - 1; stepX = -1; stepY = w; break;                // mirrored left to right
    case 3: base = h * w - 1; stepX = -1; stepY = -w; break;           // turned half round
    case 4: base = (h - 1) * w; stepX = 1; stepY = -w; break;          // mirrored top to bottom
    case 5: base = 0; stepX = h; stepY = 1; break;                     // transposed
    case 6: base = h - 1; stepX = h; stepY = -1; break;                // turned a quarter clockwise
    case 7: base = w * h - 1; stepX = -h; stepY = -1; break;           // transposed the other way
    case 8: base = (w - 1) * h; stepX = -h; stepY = 1; break;          // turned a quarter anticlockwise
    default: break;
    }
    // In tiles, so that a quarter turn of a large picture writes the target
    // from the cache rather than one row per pixel.
    constexpr int32_t kTile = 32;
    for (int32_t ty = 0; ty < rows; ty += kTile) {
        const int32_t yEnd = std::min(rows, ty + kTile);
        for (int32_t tx = 0; tx < width; tx += kTile) {
            const int32_t xEnd = std::min(width, tx + kTile);
            for (int32_t y = ty; y < yEnd; ++y) {
                const uint32_t* row = band + static_cast<ptrdiff_t>(y) * w;
                uint32_t* start = target + base + (top + y) * stepY;
                for (int32_t x = tx; x < xEnd; ++x) start[x * stepX] = row[x];
            }
        }
    }
}

bool OrientInPlace(uint32_t* pixels, int32_t width, int32_t height, int32_t orientation) {
    if (width <= 0 || height <= 0 || orientation < 2 || orientation > 4) return false;
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    if (orientation == 3) {
        std::reverse(pixels, pixels + w * h);
    } else if (orientation == 2) {
        for (size_t y = 0; y < h; ++y) std::reverse(pixels + y * w, pixels + (y + 1) * w);
    } else {
        for (size_t y = 0; y < h / 2; ++y) std::swap_ranges(pixels + y * w, pixels + (y + 1) * w, pixels + (h - 1 - y) * w);
    }
    return true;
}
