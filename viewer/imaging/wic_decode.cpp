// WIC decoding; see wic_decode.h. A factory is made for each call and every
// object is released before the call returns, so nothing WIC holds outlives a
// picture.
#include "viewer/imaging/wic_decode.h"

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

// Frame 0 of `decoder`, converted to BGRA and copied into a DIB section.
HBITMAP DecodeFirstFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, bool* opaqueSource) {
    if (opaqueSource) *opaqueSource = false;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return nullptr;
    WICPixelFormatGUID sourceFormat;
    if (opaqueSource && SUCCEEDED(frame->GetPixelFormat(&sourceFormat))) *opaqueSource = HasNoAlpha(sourceFormat);
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter))) return nullptr;
    if (FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    ComPtr<IWICBitmapSource> source;
    if (FAILED(converter->QueryInterface(IID_IWICBitmapSource, reinterpret_cast<void**>(&source)))) return nullptr;
    return CreateBgraDibSection(source.p);
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

void SetDecodedBytesLimit(uint64_t limit, const std::atomic<bool>* lifted) {
    t_bytesLimit = limit;
    t_bytesLimitLifted = lifted;
    t_bytesLimitHit = false;
}

bool DecodedBytesLimitHit() { return t_bytesLimitHit; }

bool FitsDecodedBytesLimit(uint64_t width, uint64_t height) {
    if (width * height * 4 <= t_bytesLimit || (t_bytesLimitLifted && t_bytesLimitLifted->load())) return true;
    t_bytesLimitHit = true;
    return false;
}

HBITMAP DecodeWicFile(const wchar_t* path, bool* opaqueSource) {
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder))) {
        return nullptr;
    }
    return DecodeFirstFrame(factory.p, decoder.p, opaqueSource);
}

HBITMAP DecodeWicMemory(const uint8_t* data, uint32_t length, bool* opaqueSource) {
    if (!data || !length) return nullptr;
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return nullptr;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream))) return nullptr;
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), length))) return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder))) {
        return nullptr;
    }
    return DecodeFirstFrame(factory.p, decoder.p, opaqueSource);
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
