// Frame composition pixels; see compose.h.
#include "viewer/display/compose.h"

#include <algorithm>
#include <cstring>

#include "viewer/core/pixel_limit.h"

namespace {

// The rows and columns of a rectangle that fall inside the canvas.
struct Clip {
    int32_t x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip ClipTo(const PixelPlane& canvas, int64_t left, int64_t top, int64_t width, int64_t height) {
    auto clamp = [](int64_t v, int64_t hi) { return static_cast<int32_t>(v < 0 ? 0 : v > hi ? hi : v); };
    return {clamp(left, canvas.width), clamp(top, canvas.height), clamp(left + width, canvas.width),
            clamp(top + height, canvas.height)};
}

}  // namespace

void DrawFrameOnto(const PixelPlane& canvas, const uint32_t* frame, int32_t frameWidth, int32_t frameHeight,
                   int32_t left, int32_t top, bool blend) {
    const Clip c = ClipTo(canvas, left, top, frameWidth, frameHeight);
    if (c.empty()) return;
    for (int32_t y = c.y0; y < c.y1; ++y) {
        uint32_t* out = canvas.pixels + static_cast<size_t>(y) * canvas.width + c.x0;
        const uint32_t* in = frame + static_cast<size_t>(y - top) * frameWidth + (c.x0 - left);
        const int32_t n = c.x1 - c.x0;
        if (!blend) {
            std::memcpy(out, in, static_cast<size_t>(n) * 4);
            continue;
        }
        for (int32_t x = 0; x < n; ++x) {
            const uint32_t s = in[x];
            const uint32_t alpha = s >> 24;
            if (alpha == 255) {
                out[x] = s;
            } else if (alpha != 0 || (s & 0xFFFFFF) != 0) {
                const uint32_t d = out[x];
                const uint32_t keep = 255 - alpha;
                uint32_t r = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    uint32_t v = ((s >> shift) & 0xFF) + (((d >> shift) & 0xFF) * keep + 127) / 255;
                    r |= (v > 255 ? 255 : v) << shift;
                }
                out[x] = r;
            }
        }
    }
}

void ClearRectangle(const PixelPlane& canvas, int32_t left, int32_t top, int32_t width, int32_t height) {
    const Clip c = ClipTo(canvas, left, top, width, height);
    if (c.empty()) return;
    for (int32_t y = c.y0; y < c.y1; ++y) {
        std::memset(canvas.pixels + static_cast<size_t>(y) * canvas.width + c.x0, 0,
                    static_cast<size_t>(c.x1 - c.x0) * 4);
    }
}

bool AllOpaque(const uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if ((pixels[i] >> 24) != 255) return false;
    }
    return true;
}

bool CoveringSize(int32_t width, int32_t height, int32_t left, int32_t top, int32_t frameWidth, int32_t frameHeight,
                  int32_t& newWidth, int32_t& newHeight) {
    if (left < 0 || top < 0 || frameWidth < 0 || frameHeight < 0) return false;
    const int64_t right = int64_t{left} + frameWidth;
    const int64_t bottom = int64_t{top} + frameHeight;
    const int64_t w = right > width ? right : width;
    const int64_t h = bottom > height ? bottom : height;
    if (!WithinPixelLimit(w, h)) return false;
    newWidth = static_cast<int32_t>(w);
    newHeight = static_cast<int32_t>(h);
    return true;
}

SavedArea SaveArea(const PixelPlane& canvas, int32_t left, int32_t top, int32_t width, int32_t height) {
    const Clip c = ClipTo(canvas, left, top, width, height);
    SavedArea area;
    if (c.empty()) return area;
    area = {c.x0, c.y0, c.x1 - c.x0, c.y1 - c.y0, {}};
    area.pixels.resize(static_cast<size_t>(area.width) * area.height);
    for (int32_t y = 0; y < area.height; ++y) {
        std::memcpy(area.pixels.data() + static_cast<size_t>(y) * area.width,
                    canvas.pixels + static_cast<size_t>(c.y0 + y) * canvas.width + c.x0,
                    static_cast<size_t>(area.width) * 4);
    }
    return area;
}

void RestoreArea(const PixelPlane& canvas, const SavedArea& area) {
    // Saved from this canvas, so inside it.
    for (int32_t y = 0; y < area.height; ++y) {
        std::memcpy(canvas.pixels + static_cast<size_t>(area.top + y) * canvas.width + area.left,
                    area.pixels.data() + static_cast<size_t>(y) * area.width, static_cast<size_t>(area.width) * 4);
    }
}

bool WantsSnapshot(const CanvasSnapshots& snapshots, int32_t frame) {
    if (frame <= 0 || frame % snapshots.interval != 0) return false;
    const CanvasSnapshot* nearest = NearestSnapshot(snapshots, frame);
    return !nearest || nearest->frame != frame;
}

void KeepSnapshot(CanvasSnapshots& snapshots, int32_t frame, const PixelPlane& canvas) {
    const int64_t size = int64_t{canvas.width} * canvas.height;
    if (size <= 0 || size > snapshots.budget / 4 || !WantsSnapshot(snapshots, frame)) return;
    while (snapshots.pixels + size > snapshots.budget) {
        snapshots.interval *= 2;
        auto dropped = std::remove_if(snapshots.kept.begin(), snapshots.kept.end(), [&](const CanvasSnapshot& s) {
            return s.frame % snapshots.interval != 0;
        });
        snapshots.kept.erase(dropped, snapshots.kept.end());
        snapshots.pixels = 0;
        for (const CanvasSnapshot& s : snapshots.kept) snapshots.pixels += int64_t{s.width} * s.height;
        if (frame % snapshots.interval != 0) return;
    }
    CanvasSnapshot snapshot = {frame, canvas.width, canvas.height,
                               std::vector<uint32_t>(canvas.pixels, canvas.pixels + size)};
    auto at = std::upper_bound(snapshots.kept.begin(), snapshots.kept.end(), frame,
                               [](int32_t f, const CanvasSnapshot& s) { return f < s.frame; });
    snapshots.kept.insert(at, std::move(snapshot));
    snapshots.pixels += size;
}

const CanvasSnapshot* NearestSnapshot(const CanvasSnapshots& snapshots, int32_t frame) {
    auto at = std::upper_bound(snapshots.kept.begin(), snapshots.kept.end(), frame,
                               [](int32_t f, const CanvasSnapshot& s) { return f < s.frame; });
    return at == snapshots.kept.begin() ? nullptr : &*(at - 1);
}
