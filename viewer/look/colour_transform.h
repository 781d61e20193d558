// Colour conversion by the system's colour system (mscms.dll, loaded on first
// use so that the program imports nothing more): a transform from a
// picture's embedded profile to the profile of the display that shows the
// window, or to sRGB where the display has none, and its application to
// 32-bit pixels with their alpha kept.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The profile file of the display that shows `window` (GetICMProfileW on the
// window's device context); false, with `path` empty, when it has none.
bool DisplayProfilePath(HWND window, wchar_t (&path)[MAX_PATH]);

// A thread that has no window of its own (the read-ahead's) converts for the
// display profile at `path` (empty: the display has none) instead of asking
// a window's display; null goes back to asking. For the calling thread only.
void SetThreadDisplayProfile(const wchar_t* path);

// Whether the display that shows `window` (or the thread's display profile)
// is sRGB: it has no profile, as Windows then takes it, or one that
// IsSrgbProfile (viewer/formats/icc_rules.h) accepts. A profile that cannot
// be read is sRGB too, as MakeColourTransform then converts to sRGB.
bool DisplayIsSrgb(HWND window);

// One transform, deleted once, with its results on the colour lattice
// (viewer/look/colour_lattice.h), by which pictures are converted. Not
// copyable.
class ColourTransform {
public:
    ColourTransform() = default;
    ~ColourTransform();
    ColourTransform(const ColourTransform&) = delete;
    ColourTransform& operator=(const ColourTransform&) = delete;
    // Takes over `handle` (an HTRANSFORM), deleting the one held before.
    void Reset(HANDLE handle = nullptr);
    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // The spread lattice, or null for a transform of another colour space
    // or one whose lattice found no memory.
    const uint64_t* Lattice() const { return lattice_; }
    // Takes over `lattice`, an array of kLatticePoints made by new[].
    void SetLattice(uint64_t* lattice);

private:
    HANDLE handle_ = nullptr;
    uint64_t* lattice_ = nullptr;
};

// A transform from the profile in `profile` (RGB, or CMYK for the pixels of
// a CMYK picture) to the display of `window`; false, with `transform` empty,
// when the profile cannot be opened or mscms is missing.
bool MakeColourTransform(const uint8_t* profile, size_t length, HWND window, ColourTransform& transform);

// Converts `width` × `height` pixels (blue, green, red, alpha; rows of
// `width` × 4 bytes) in place by the transform's lattice. Alpha is kept; with
// `premultiplied`, a pixel with alpha below 255 is converted on its
// unmultiplied colour and multiplied again. False, with the pixels as they
// were, for a transform without a lattice.
bool TranslatePixels(const ColourTransform& transform, uint8_t* pixels, int32_t width, int32_t height,
                     bool premultiplied);

// Converts CMYK pixels (cyan, magenta, yellow, black bytes) into 32-bit
// opaque blue, green, red, alpha pixels by `transform` (from a CMYK profile).
bool TranslateCmykPixels(const ColourTransform& transform, const uint8_t* cmyk, int32_t width, int32_t height,
                         uint8_t* bgra);
