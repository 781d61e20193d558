// Colour transforms through mscms.dll; see colour_transform.h. The DLL is a
// part of every Windows since 95, but is loaded by name at first use from the
// system folder, so that the output folder's imports stay the ones a clean
// system has and a picture without a profile never loads it.
#include "viewer/decode/colour_transform.h"

#include <icm.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

struct Mscms {
    bool loaded = false;
    decltype(&OpenColorProfileW) openProfile = nullptr;
    decltype(&CloseColorProfile) closeProfile = nullptr;
    decltype(&CreateMultiProfileTransform) createTransform = nullptr;
    decltype(&DeleteColorTransform) deleteTransform = nullptr;
    decltype(&TranslateBitmapBits) translate = nullptr;
    decltype(&GetStandardColorSpaceProfileW) standardProfile = nullptr;
};

template <typename T>
void Find(HMODULE module, const char* name, T& function) {
    function = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Mscms& System() {
    static Mscms api;
    if (api.loaded) return api;
    api.loaded = true;
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 11 >= MAX_PATH) return api;
    lstrcatW(path, L"\\mscms.dll");
    // Kept for the life of the process, as its transforms may be.
    HMODULE module = LoadLibraryW(path);
    if (!module) return api;
    Find(module, "OpenColorProfileW", api.openProfile);
    Find(module, "CloseColorProfile", api.closeProfile);
    Find(module, "CreateMultiProfileTransform", api.createTransform);
    Find(module, "DeleteColorTransform", api.deleteTransform);
    Find(module, "TranslateBitmapBits", api.translate);
    Find(module, "GetStandardColorSpaceProfileW", api.standardProfile);
    if (!api.openProfile || !api.closeProfile || !api.createTransform || !api.deleteTransform || !api.translate) {
        api.openProfile = nullptr;
    }
    return api;
}

// An open profile, closed once.
class OpenProfile {
public:
    OpenProfile(const Mscms& api, DWORD type, const void* data, DWORD size) : api_(api) {
        PROFILE profile = {type, const_cast<void*>(data), size};
        handle_ = api.openProfile(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
    }
    ~OpenProfile() {
        if (handle_) api_.closeProfile(handle_);
    }
    OpenProfile(const OpenProfile&) = delete;
    OpenProfile& operator=(const OpenProfile&) = delete;
    HPROFILE Get() const { return handle_; }

private:
    const Mscms& api_;
    HPROFILE handle_ = nullptr;
};

DWORD PathBytes(const wchar_t* path) { return static_cast<DWORD>((lstrlenW(path) + 1) * sizeof(wchar_t)); }

// Rows converted per call: the working copies stay small and in the cache.
constexpr int32_t kStripRows = 32;

// LCS_sRGB, which the header spells as a multi-character constant.
constexpr DWORD kSrgbSpace = 0x73524742;

}  // namespace

ColourTransform::~ColourTransform() { Reset(); }

void ColourTransform::Reset(HANDLE handle) {
    if (handle_ && System().deleteTransform) System().deleteTransform(handle_);
    handle_ = handle;
}

bool DisplayProfilePath(HWND window, wchar_t (&path)[MAX_PATH]) {
    path[0] = L'\0';
    HDC dc = GetDC(window);
    if (!dc) return false;
    DWORD size = MAX_PATH;
    const BOOL got = GetICMProfileW(dc, &size, path);
    ReleaseDC(window, dc);
    if (!got) path[0] = L'\0';
    return path[0] != L'\0';
}

bool MakeColourTransform(const uint8_t* profile, size_t length, HWND window, ColourTransform& transform) {
    transform.Reset();
    const Mscms& api = System();
    if (!api.openProfile || !profile || length == 0 || length > 0x7FFFFFFF) return false;
    OpenProfile source(api, PROFILE_MEMBUFFER, profile, static_cast<DWORD>(length));
    if (!source.Get()) return false;

    wchar_t displayPath[MAX_PATH];
    HPROFILE target = nullptr;
    std::optional<OpenProfile> display, standard;
    if (DisplayProfilePath(window, displayPath)) {
        display.emplace(api, PROFILE_FILENAME, displayPath, PathBytes(displayPath));
        target = display->Get();
    }
    // A display without a profile (or with one that cannot be read) is
    // taken to be sRGB, as Windows itself takes it.
    wchar_t srgbPath[MAX_PATH];
    DWORD srgbSize = sizeof(srgbPath);
    if (!target && api.standardProfile && api.standardProfile(nullptr, kSrgbSpace, srgbPath, &srgbSize)) {
        standard.emplace(api, PROFILE_FILENAME, srgbPath, PathBytes(srgbPath));
        target = standard->Get();
    }
    if (target) {
        HPROFILE profiles[2] = {source.Get(), target};
        DWORD intents[1] = {INTENT_PERCEPTUAL};
        transform.Reset(api.createTransform(profiles, 2, intents, 1, BEST_MODE, INDEX_DONT_CARE));
    }
    return static_cast<bool>(transform);
}

bool TranslatePixels(const ColourTransform& transform, uint8_t* pixels, int32_t width, int32_t height,
                     bool premultiplied) {
    const Mscms& api = System();
    if (!transform || !api.translate || width <= 0 || height <= 0) return false;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> input(premultiplied ? rowBytes * kStripRows : 0);
    std::vector<uint8_t> output(rowBytes * kStripRows);
    for (int32_t top = 0; top < height; top += kStripRows) {
        const int32_t rows = std::min(kStripRows, height - top);
        uint8_t* strip = pixels + rowBytes * top;
        const size_t count = static_cast<size_t>(width) * rows;
        uint8_t* source = strip;
        if (premultiplied) {
            source = input.data();
            for (size_t i = 0; i < count; ++i) {
                const uint8_t* p = strip + 4 * i;
                uint8_t* q = source + 4 * i;
                const unsigned alpha = p[3];
                if (alpha == 255 || alpha == 0) {
                    std::copy(p, p + 4, q);
                } else {
                    for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>(std::min(255u, (p[c] * 255 + alpha / 2) / alpha));
                    q[3] = p[3];
                }
            }
        }
        // The fourth byte is not a colour to the colour system: the result
        // is written apart and only blue, green and red are taken back.
        if (!api.translate(transform.Get(), source, BM_xRGBQUADS, static_cast<DWORD>(width), static_cast<DWORD>(rows),
                           static_cast<DWORD>(rowBytes), output.data(), BM_xRGBQUADS, static_cast<DWORD>(rowBytes),
                           nullptr, 0)) {
            return false;
        }
        for (size_t i = 0; i < count; ++i) {
            uint8_t* p = strip + 4 * i;
            const uint8_t* q = output.data() + 4 * i;
            const unsigned alpha = p[3];
            if (!premultiplied || alpha == 255) {
                p[0] = q[0];
                p[1] = q[1];
                p[2] = q[2];
            } else {
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(q[c] * alpha / 255);
            }
        }
    }
    return true;
}

bool TranslateCmykPixels(const ColourTransform& transform, const uint8_t* cmyk, int32_t width, int32_t height,
                         uint8_t* bgra) {
    const Mscms& api = System();
    if (!transform || !api.translate || width <= 0 || height <= 0) return false;
    const DWORD stride = static_cast<DWORD>(width) * 4;
    if (!api.translate(transform.Get(), const_cast<uint8_t*>(cmyk), BM_CMYKQUADS, static_cast<DWORD>(width),
                       static_cast<DWORD>(height), stride, bgra, BM_xRGBQUADS, stride, nullptr, 0)) {
        return false;
    }
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) bgra[4 * i + 3] = 255;
    return true;
}
