// Profile and orientation of a still picture; see picture_look.h. The file is
// read through a mapped view unless the decoder holds it already: the
// walkers touch its headers and chunk lengths only.
#include "viewer/look/picture_look.h"

#include <wincodec.h>

#include <memory>
#include <new>

#include "viewer/formats/icc_rules.h"
#include "viewer/formats/picture_tags.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/look/picture_turn.h"

namespace {

// A read-only view of a whole file, closed once.
class MappedFile {
public:
    explicit MappedFile(const wchar_t* path) {
        if (!path) return;
        file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) return;
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file_, &size) || size.QuadPart <= 0 ||
            static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) {
            return;
        }
        mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (!mapping_) return;
        data_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
        if (data_) length_ = static_cast<size_t>(size.QuadPart);
    }
    ~MappedFile() {
        if (data_) UnmapViewOfFile(data_);
        if (mapping_) CloseHandle(mapping_);
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    const uint8_t* Data() const { return data_; }
    size_t Length() const { return length_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t length_ = 0;
};

struct Plane {
    uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

bool SectionPlane(HBITMAP bitmap, Plane& plane) {
    DIBSECTION dib = {};
    if (GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits || dib.dsBm.bmBitsPixel != 32 ||
        dib.dsBmih.biCompression != BI_RGB || dib.dsBm.bmWidth <= 0 || dib.dsBm.bmHeight <= 0) {
        return false;
    }
    GdiFlush();
    plane = {static_cast<uint8_t*>(dib.dsBm.bmBits), dib.dsBm.bmWidth, dib.dsBm.bmHeight};
    return true;
}

// A plug-in's bitmap (any depth, either row order) as a new opaque 32-bit
// top-down section.
HBITMAP CopyAsSection(HBITMAP bitmap, Plane& plane) {
    BITMAP bm = {};
    if (!GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0 ||
        int64_t{bm.bmWidth} * bm.bmHeight > (int64_t{1} << 28)) {
        return nullptr;
    }
    const int32_t height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    void* bits = nullptr;
    HBITMAP copy = CreateTopDownSection(nullptr, bm.bmWidth, height, &bits);
    if (!copy) return nullptr;
    BITMAPINFO info = TopDownInfo(bm.bmWidth, height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) {
        DeleteObject(copy);
        return nullptr;
    }
    plane = {static_cast<uint8_t*>(bits), bm.bmWidth, height};
    const size_t count = static_cast<size_t>(plane.width) * height;
    for (size_t i = 0; i < count; ++i) plane.bits[4 * i + 3] = 255;
    return copy;
}

// The CMYK samples of a JPEG as WIC reads them (Adobe's inverted samples
// already turned back), for a conversion through its CMYK profile.
std::unique_ptr<uint8_t[]> DecodeCmyk(const uint8_t* data, size_t length, int32_t width, int32_t height) {
    if (length > 0xFFFFFFFFu) return nullptr;
    ComPtr<IWICImagingFactory> factory;
    static const CLSID kFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
    if (FAILED(CoCreateInstance(kFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory, factory.Out()))) {
        return nullptr;
    }
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    WICPixelFormatGUID format;
    UINT w = 0, h = 0;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(length))) ||
        FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetPixelFormat(&format)) ||
        !IsEqualGUID(format, GUID_WICPixelFormat32bppCMYK) || FAILED(frame->GetSize(&w, &h)) ||
        static_cast<int64_t>(w) != width || static_cast<int64_t>(h) != height) {
        return nullptr;
    }
    // The section is as large and was made, so the size fits a size_t; the
    // samples may still find no room, and the picture is then shown as WIC
    // converted it.
    const uint64_t bytes = uint64_t{w} * h * 4;
    if (bytes > 0xFFFFFFFFu) return nullptr;
    std::unique_ptr<uint8_t[]> cmyk(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
    if (!cmyk || FAILED(frame->CopyPixels(nullptr, w * 4, static_cast<UINT>(bytes), cmyk.get()))) return nullptr;
    return cmyk;
}

bool IsJpeg(const uint8_t* data, size_t length) { return length >= 2 && data[0] == 0xFF && data[1] == 0xD8; }

void Convert(const uint8_t* data, size_t length, const Buffer<uint8_t>& profile, HWND window, Plane& plane,
             bool premultiplied) {
    const uint32_t space = IccColourSpace(profile.data(), profile.size());
    if (space == kIccRgb && IsSrgbProfile(profile.data(), profile.size()) && DisplayIsSrgb(window)) return;
    if (space != kIccRgb && !(space == kIccCmyk && IsJpeg(data, length))) return;
    ColourTransform transform;
    if (!MakeColourTransform(profile.data(), profile.size(), window, transform)) return;
    if (space == kIccRgb) {
        TranslatePixels(transform, plane.bits, plane.width, plane.height, premultiplied);
        return;
    }
    const std::unique_ptr<uint8_t[]> cmyk = DecodeCmyk(data, length, plane.width, plane.height);
    if (cmyk) TranslateCmykPixels(transform, cmyk.get(), plane.width, plane.height, plane.bits);
}

}  // namespace

bool TransformForFile(const uint8_t* data, size_t length, HWND window, ColourTransform& transform) {
    transform.Reset();
    PictureTags tags;
    if (!ReadPictureTags(data, length, false, true, tags) || tags.profile.empty()) return false;
    if (IccColourSpace(tags.profile.data(), tags.profile.size()) != kIccRgb ||
        (IsSrgbProfile(tags.profile.data(), tags.profile.size()) && DisplayIsSrgb(window))) {
        return false;
    }
    return MakeColourTransform(tags.profile.data(), tags.profile.size(), window, transform);
}

HBITMAP ApplyPictureLook(const wchar_t* path, const DecodeState& state, const Settings& settings, HWND window,
                         HBITMAP bitmap, LookPixels pixels, DecodedPicture& picture) {
    if (!bitmap || (!settings.ExifOrientation && !settings.ColorManagement)) return bitmap;
    MappedFile mapped(state.fileBuffer ? nullptr : path);
    const uint8_t* data = state.fileBuffer ? state.fileBuffer : mapped.Data();
    const size_t length = state.fileBuffer ? state.fileLength : mapped.Length();
    PictureTags tags;
    if (!ReadPictureTags(data, length, settings.ExifOrientation != 0, settings.ColorManagement != 0, tags)) {
        return bitmap;
    }
    if (tags.orientation == 1 && tags.profile.empty()) return bitmap;

    Plane plane;
    if (pixels == LookPixels::Plugin) {
        HBITMAP copy = CopyAsSection(bitmap, plane);
        if (!copy) return bitmap;
        DeleteObject(bitmap);
        bitmap = copy;
    } else if (!SectionPlane(bitmap, plane)) {
        return bitmap;
    }
    if (!tags.profile.empty()) Convert(data, length, tags.profile, window, plane, pixels == LookPixels::Premultiplied);
    if (tags.orientation == 1) return bitmap;

    bool turned = false;
    bitmap = TurnSection(bitmap, plane.bits, plane.width, plane.height, tags.orientation, turned);
    if (turned && picture.width > 0 && picture.height > 0) {
        const int32_t storedWidth = picture.width, storedHeight = picture.height;
        OrientedSize(tags.orientation, storedWidth, storedHeight, picture.width, picture.height);
    }
    return bitmap;
}
