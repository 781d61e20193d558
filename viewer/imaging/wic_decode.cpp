// WIC decoding; see wic_decode.h. A factory is made for each call and every
// object is released before the call returns, so nothing WIC holds outlives a
// picture. A frame past the pixel limit is decoded reduced.
#include "viewer/imaging/wic_decode.h"

#include <algorithm>

#include "viewer/core/pixel_limit.h"
#include "viewer/imaging/pixel_expand.h"
#include "viewer/imaging/wic_source_transform.h"

namespace {

// {CACAF262-9370-4615-A13B-9F5539DA4C0A}: the factory every Windows since XP SP3
// registers (not the "2" factory, whose interface adds nothing we use).
const CLSID kImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};

// Pixel formats without alpha whose conversion to BGRA sets every alpha to 255.
bool HasNoAlpha(const WICPixelFormatGUID& format) {
    const GUID* opaque[] = {&GUID_WICPixelFormat24bppBGR, &GUID_WICPixelFormat24bppRGB, &GUID_WICPixelFormat8bppGray};
    for (const GUID* candidate : opaque) {
        if (IsEqualGUID(format, *candidate)) return true;
    }
    return false;
}

// Bits per pixel of the frame's own format; 32 when the component cannot say.
uint32_t SourceBits(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
    WICPixelFormatGUID format;
    ComPtr<IWICComponentInfo> info;
    ComPtr<IWICPixelFormatInfo> pixelInfo;
    UINT bits = 0;
    if (FAILED(frame->GetPixelFormat(&format)) || FAILED(factory->CreateComponentInfo(format, &info)) ||
        FAILED(info->QueryInterface(IID_IWICPixelFormatInfo, pixelInfo.Out())) ||
        FAILED(pixelInfo->GetBitsPerPixel(&bits)) || bits == 0) {
        return 32;
    }
    return bits;
}

// Whether the whole frame at its own depth would fit in the memory that the
// process can still get (physical, and in the 32-bit build its address
// space): a decoder that reads all of it before handing out rows would
// otherwise fail late or page for minutes.
bool DecoderCouldHold(uint64_t width, uint64_t height, uint32_t bits) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) return true;
    const uint64_t room = std::min<uint64_t>(status.ullAvailPhys, status.ullAvailVirtual);
    // Sides up to 2^32 and 128 bits a pixel: at most 2^71 bits, so the rows
    // are counted in bytes first.
    const uint64_t rowBytes = (width * bits + 7) / 8;
    return height <= room / std::max<uint64_t>(rowBytes, 1);
}

// Formats that a decoder's own transform may deliver and that are widened to
// 32 bits where they lie; 0 for any other.
unsigned NarrowBytes(const WICPixelFormatGUID& format) {
    if (IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) || IsEqualGUID(format, GUID_WICPixelFormat32bppBGR)) {
        return 4;
    }
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return 3;
    if (IsEqualGUID(format, GUID_WICPixelFormat8bppGray)) return 1;
    return 0;
}

// The frame decoded by its own transform at the largest size that it offers
// within the limit, or null when it offers none below the frame's size.
HBITMAP DecodeByTransform(IWICBitmapFrameDecode* frame, uint32_t width, uint32_t height) {
    ComPtr<WicSourceTransform> transform;
    if (FAILED(frame->QueryInterface(kWicSourceTransformId, transform.Out()))) return nullptr;
    const PixelSize target = ReducedWithinPixelLimit(width, height);
    // Decoders scale by fixed steps (a JPEG decoder by eighths), and the step
    // closest to the target may lie above the limit: ask for less too, and
    // take the largest step within it.
    UINT w = 0, h = 0;
    for (int64_t divisor = 1; divisor <= 16; divisor *= 2) {
        UINT stepWidth = static_cast<UINT>(std::max<int64_t>(1, target.width / divisor));
        UINT stepHeight = static_cast<UINT>(std::max<int64_t>(1, target.height / divisor));
        if (FAILED(transform->GetClosestSize(&stepWidth, &stepHeight))) return nullptr;
        if (stepWidth < width && stepHeight < height && WithinPixelLimit(stepWidth, stepHeight) &&
            uint64_t{stepWidth} * stepHeight > uint64_t{w} * h) {
            w = stepWidth;
            h = stepHeight;
        }
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (!w || FAILED(transform->GetClosestPixelFormat(&format))) return nullptr;
    const unsigned bytes = NarrowBytes(format);
    if (!bytes || !FitsDecodedBytesLimit(w, h)) return nullptr;

    void* bits = nullptr;
    HBITMAP section = CreateTopDownSection(nullptr, static_cast<int32_t>(w), static_cast<int32_t>(h), &bits);
    if (!section) return nullptr;
    // Within the limit, so these products fit 32 bits.
    const UINT stride = w * bytes;
    if (FAILED(transform->CopyPixels(nullptr, w, h, &format, WICBitmapTransformRotate0, stride, stride * h,
                                     static_cast<BYTE*>(bits)))) {
        DeleteObject(section);
        return nullptr;
    }
    const size_t count = static_cast<size_t>(w) * h;
    if (bytes != 4) {
        WidenToBgra(static_cast<uint8_t*>(bits), count, bytes);
    } else if (!IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) {
        // 32bppBGR leaves its fourth byte undefined.
        for (size_t i = 0; i < count; ++i) static_cast<uint8_t*>(bits)[4 * i + 3] = 255;
    }
    return section;
}

// The reduced picture (`width` × `height`) copied out of `source` (BGRA) into
// a DIB section a band of rows at a time: a scaler asked for the whole
// picture at once may first gather every row of the frame that it needs, a
// second copy of the frame. Wine's decoders reach a row of the frame
// (`frameHeight` rows of `frameRowBytes`) by a 32-bit signed byte offset, so
// no band starts at a row past 2 GiB: the last band that can takes the rest.
HBITMAP CopyReduced(IWICBitmapSource* source, UINT width, UINT height, uint64_t frameHeight, uint64_t frameRowBytes) {
    if (!FitsDecodedBytesLimit(width, height)) return nullptr;
    auto reachable = [&](UINT row) {
        // The frame's row for it, and two more for the scaler's filter.
        return (row * frameHeight / height + 2) * frameRowBytes < (uint64_t{1} << 31);
    };
    void* bits = nullptr;
    HBITMAP section = CreateTopDownSection(nullptr, static_cast<int32_t>(width), static_cast<int32_t>(height), &bits);
    if (!section) return nullptr;
    // Within the pixel limit, so every product here fits 32 bits.
    const UINT stride = width * 4;
    const UINT band = 64;
    for (UINT top = 0, rows = 0; top < height; top += rows) {
        rows = top + band < height && !reachable(top + band) ? height - top : std::min(band, height - top);
        const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(source->CopyPixels(&rect, stride, stride * rows, static_cast<BYTE*>(bits) + size_t{top} * stride))) {
            DeleteObject(section);
            return nullptr;
        }
    }
    return section;
}

// The frame pulled through the component's scaler, then converted to BGRA;
// the scaler asks the frame for the rows that it needs as it goes.
HBITMAP DecodeByScaler(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, uint32_t width, uint32_t height,
                       uint32_t sourceBits) {
    const uint64_t rowBytes = (uint64_t{width} * sourceBits + 7) / 8;
    const PixelSize target = ReducedWithinPixelLimit(width, height);
    const UINT w = static_cast<UINT>(target.width), h = static_cast<UINT>(target.height);
    ComPtr<IWICBitmapScaler> scaler;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateBitmapScaler(&scaler)) || FAILED(factory->CreateFormatConverter(&converter))) {
        return nullptr;
    }
    if (SUCCEEDED(scaler->Initialize(frame, w, h, WICBitmapInterpolationModeFant)) &&
        SUCCEEDED(converter->Initialize(scaler.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                        0.0, WICBitmapPaletteTypeCustom))) {
        return CopyReduced(converter.p, w, h, height, rowBytes);
    }
    // A format that the scaler cannot take (a palette, say) is converted
    // first, row by row as well.
    ComPtr<IWICBitmapScaler> after;
    ComPtr<IWICFormatConverter> before;
    if (FAILED(factory->CreateBitmapScaler(&after)) || FAILED(factory->CreateFormatConverter(&before)) ||
        FAILED(before->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                  WICBitmapPaletteTypeCustom)) ||
        FAILED(after->Initialize(before.p, w, h, WICBitmapInterpolationModeFant))) {
        return nullptr;
    }
    return CopyReduced(after.p, w, h, height, rowBytes);
}

// Whether a failure's code says that memory ran out.
bool IsOutOfMemory(HRESULT result) {
    return result == E_OUTOFMEMORY || result == HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);
}

// A frame past the pixel limit reduced to within it, keeping its aspect: by
// the decoder itself where it can (a JPEG decoder's own transform, which
// never holds the whole picture), else through the component's scaler.
// `tooLarge` when not even the decoder could hold it.
HBITMAP DecodeReducedFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, uint32_t width,
                           uint32_t height, bool& tooLarge) {
    tooLarge = false;
    // The read-ahead's budget counts what a decoder may hold of the whole
    // frame, not only the reduced picture.
    if (!FitsDecodedBytesLimit(width, height)) return nullptr;
    if (HBITMAP section = DecodeByTransform(frame, width, height)) return section;
    const uint32_t bits = SourceBits(factory, frame);
    if (!DecoderCouldHold(width, height, bits)) {
        tooLarge = true;
        return nullptr;
    }
    HBITMAP section = DecodeByScaler(factory, frame, width, height, bits);
    // Past the limit, a decode that fails is put down to its size: the
    // decoder or the converter could not get the memory for it.
    tooLarge = !section;
    return section;
}

// Frame 0 of `decoder`, converted to BGRA and copied into a DIB section;
// reduced when it is past the pixel limit.
HBITMAP DecodeFirstFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, bool* opaqueSource,
                         WicReduction& reduction) {
    ComPtr<IWICBitmapFrameDecode> frame;
    const HRESULT got = decoder->GetFrame(0, &frame);
    if (FAILED(got)) {
        reduction.tooLarge = IsOutOfMemory(got);
        return nullptr;
    }
    return DecodeWicFrame(factory, frame.p, opaqueSource, reduction);
}

bool CreateFactory(ComPtr<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&factory)));
}

// Width × height × 4 as a byte count, or 0 when it does not fit 32 bits.
UINT BufferBytes(UINT width, UINT height) {
    unsigned long long bytes = 4ull * width * height;
    return bytes > 0xFFFFFFFFull ? 0 : static_cast<UINT>(bytes);
}

thread_local uint64_t t_bytesLimit = UINT64_MAX;
thread_local const std::atomic<bool>* t_bytesLimitLifted = nullptr;
thread_local bool t_bytesLimitHit = false;

}  // namespace

HBITMAP DecodeWicFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, bool* opaqueSource,
                       WicReduction& reduction) {
    if (opaqueSource) *opaqueSource = false;
    WICPixelFormatGUID sourceFormat;
    if (opaqueSource && SUCCEEDED(frame->GetPixelFormat(&sourceFormat))) *opaqueSource = HasNoAlpha(sourceFormat);
    UINT width = 0, height = 0;
    if (SUCCEEDED(frame->GetSize(&width, &height)) && width && height && !WithinPixelLimit(width, height)) {
        reduction.fileWidth = width;
        reduction.fileHeight = height;
        reduction.tooLarge = reduction.refuse;
        if (reduction.refuse) return nullptr;
        return DecodeReducedFrame(factory, frame, width, height, reduction.tooLarge);
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter))) return nullptr;
    if (FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    ComPtr<IWICBitmapSource> source;
    if (FAILED(converter->QueryInterface(IID_IWICBitmapSource, reinterpret_cast<void**>(&source)))) return nullptr;
    return CreateBgraDibSection(source.p);
}

void SetDecodedBytesLimit(uint64_t limit, const std::atomic<bool>* lifted) {
    t_bytesLimit = limit;
    t_bytesLimitLifted = lifted;
    t_bytesLimitHit = false;
}

bool DecodedBytesLimitHit() { return t_bytesLimitHit; }

bool FitsDecodedBytesLimit(uint64_t width, uint64_t height) {
    // No limit takes any size; otherwise a product past 64 bits fits none.
    if (t_bytesLimit == UINT64_MAX || (t_bytesLimitLifted && t_bytesLimitLifted->load())) return true;
    if (!width || !height || (height <= UINT64_MAX / 4 / width && width * height * 4 <= t_bytesLimit)) return true;
    t_bytesLimitHit = true;
    return false;
}

HBITMAP DecodeWicFile(const wchar_t* path, bool* opaqueSource, WicReduction* reduction) {
    WicReduction ignored = {};
    WicReduction& told = reduction ? *reduction : ignored;
    told = {told.refuse, 0, 0, false};
    if (opaqueSource) *opaqueSource = false;
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    // Some decoders read the whole picture when they are made.
    const HRESULT made =
        factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(made)) {
        told.tooLarge = IsOutOfMemory(made);
        return nullptr;
    }
    return DecodeFirstFrame(factory.p, decoder.p, opaqueSource, told);
}

HBITMAP DecodeWicMemory(const uint8_t* data, uint32_t length, bool* opaqueSource, WicReduction* reduction) {
    WicReduction ignored = {};
    WicReduction& told = reduction ? *reduction : ignored;
    told = {told.refuse, 0, 0, false};
    if (opaqueSource) *opaqueSource = false;
    if (!data || !length) return nullptr;
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return nullptr;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream))) return nullptr;
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), length))) return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    const HRESULT made = factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(made)) {
        told.tooLarge = IsOutOfMemory(made);
        return nullptr;
    }
    return DecodeFirstFrame(factory.p, decoder.p, opaqueSource, told);
}

BITMAPINFO TopDownInfo(int32_t width, int32_t height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HBITMAP CreateTopDownSection(HDC dc, int32_t width, int32_t height, void** bits) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = TopDownInfo(width, height);
    void* ignored = nullptr;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits ? bits : &ignored, nullptr, 0);
}

HBITMAP CreateBgraDibSection(IWICBitmapSource* source) {
    if (!source) return nullptr;
    WICPixelFormatGUID format;
    if (FAILED(source->GetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) {
        return nullptr;
    }
    UINT width = 0, height = 0;
    if (FAILED(source->GetSize(&width, &height)) || !width || !height) return nullptr;
    const UINT bytes = BufferBytes(width, height);
    if (!bytes || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return nullptr;
    if (!FitsDecodedBytesLimit(width, height)) return nullptr;

    void* bits = nullptr;
    HBITMAP section =
        CreateTopDownSection(nullptr, static_cast<int32_t>(width), static_cast<int32_t>(height), &bits);
    if (!section) return nullptr;
    // A source that fails half-way (a damaged file) would leave a picture of
    // uninitialised rows that looks decoded; refuse it instead.
    if (FAILED(source->CopyPixels(nullptr, width * 4, bytes, static_cast<BYTE*>(bits)))) {
        DeleteObject(section);
        return nullptr;
    }
    return section;
}

bool PremultiplyPixels(uint8_t* pixels, size_t pixelCount) {
    bool opaque = true;
    for (size_t i = 0; i < pixelCount; ++i, pixels += 4) {
        const unsigned alpha = pixels[3];
        if (alpha == 255) continue;
        opaque = false;
        pixels[0] = static_cast<uint8_t>(pixels[0] * alpha / 255);
        pixels[1] = static_cast<uint8_t>(pixels[1] * alpha / 255);
        pixels[2] = static_cast<uint8_t>(pixels[2] * alpha / 255);
    }
    return opaque;
}

bool PremultiplyAlpha(HBITMAP bitmap, bool* opaque) {
    if (opaque) *opaque = false;
    DIBSECTION dib = {};
    int got = GetObjectW(bitmap, sizeof(dib), &dib);
    if (!got) return false;
    const BITMAP& bm = dib.dsBm;
    if (bm.bmBitsPixel != 32 || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
    // Checked before it is multiplied: 32,768 × 32,768 × 4 is past 32 bits.
    unsigned long long bytes = 4ull * static_cast<unsigned>(bm.bmWidth) * static_cast<unsigned>(bm.bmHeight);
    if (bytes > 0x7FFFFFFFull) return false;
    const size_t pixelCount = static_cast<size_t>(bytes / 4);

    // A 32-bit DIB section (every built-in decoder's result) is rewritten where
    // it lies, without the copy out and back.
    if (got == sizeof(DIBSECTION) && bm.bmBits && dib.dsBmih.biCompression == BI_RGB) {
        GdiFlush();
        const bool allOpaque = PremultiplyPixels(static_cast<uint8_t*>(bm.bmBits), pixelCount);
        if (opaque) *opaque = allOpaque;
        return true;
    }

    uint8_t* pixels = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(bytes)));
    if (!pixels) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    bool done = GetDIBits(screen, bitmap, 0, bm.bmHeight, pixels, &info, DIB_RGB_COLORS) == bm.bmHeight;
    if (done) {
        const bool allOpaque = PremultiplyPixels(pixels, pixelCount);
        done = SetDIBits(screen, bitmap, 0, bm.bmHeight, pixels, &info, DIB_RGB_COLORS) == bm.bmHeight;
        if (opaque) *opaque = done && allOpaque;
    }
    ReleaseDC(nullptr, screen);
    HeapFree(GetProcessHeap(), 0, pixels);
    return done;
}
