// A frame past the pixel limit whose decoder scales while it decodes, as the
// system's JPEG decoder does by halves, quarters and eighths. Wine's decoders
// offer no such scaling, so the frame here is a stand-in that keeps to the
// documented contract of IWICBitmapSourceTransform.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include "viewer/imaging/wic_decode.h"
#include "viewer/imaging/wic_source_transform.h"

namespace {

constexpr UINT kWidth = 40000, kHeight = 20000;

// Scales by halves, quarters and eighths, to the smallest step at least as
// wide as asked; pixel (x, y) of a step is blue x, green y, red 90.
struct ScalingTransform : WicSourceTransform {
    int copies = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height, WICPixelFormatGUID* format,
                                         WICBitmapTransformOptions, UINT stride, UINT size, BYTE* buffer) override {
        if (rect || !IsEqualGUID(*format, GUID_WICPixelFormat24bppBGR) || stride < width * 3 || size < stride * height) {
            return E_INVALIDARG;
        }
        ++copies;
        for (UINT y = 0; y < height; ++y) {
            for (UINT x = 0; x < width; ++x) {
                BYTE* pixel = buffer + size_t{y} * stride + x * 3;
                pixel[0] = static_cast<BYTE>(x);
                pixel[1] = static_cast<BYTE>(y);
                pixel[2] = 90;
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) override {
        UINT step = 8;
        while (step > 1 && kWidth / step < *width) step /= 2;
        *width = kWidth / step;
        *height = kHeight / step;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) override {
        *format = GUID_WICPixelFormat24bppBGR;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions, BOOL* supported) override {
        *supported = FALSE;
        return S_OK;
    }
};

// A 40000 x 20000 frame that will not hand out its full-size pixels.
struct HugeFrame : IWICBitmapFrameDecode {
    ScalingTransform transform;
    int fullSizeCopies = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        WicSourceTransform* scaling = &transform;
        *out = IsEqualGUID(iid, kWicSourceTransformId) ? static_cast<void*>(scaling) : static_cast<void*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override {
        *width = kWidth;
        *height = kHeight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override {
        *format = GUID_WICPixelFormat24bppBGR;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetResolution(double*, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect*, UINT, UINT, BYTE*) override {
        ++fullSizeCopies;
        return E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT, IWICColorContext**, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource**) override { return E_NOTIMPL; }
};

TEST(DecodeWicFrame, ADecoderThatScalesItselfDecodesAtItsLargestStepWithinTheLimit) {
    ComApartment com;
    ComPtr<IWICImagingFactory> factory;
    const CLSID imagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
    ASSERT_TRUE(SUCCEEDED(
        CoCreateInstance(imagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory, factory.Out())));
    HugeFrame frame;
    WicReduction reduction = {};
    bool opaque = false;
    HBITMAP bitmap = DecodeWicFrame(factory.p, &frame, &opaque, reduction);
    ASSERT_NE(bitmap, nullptr);
    // A half (20000 x 10000) is past the limit; a quarter is the largest step within it.
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, 10000);
    EXPECT_EQ(dib.dsBm.bmHeight, 5000);
    EXPECT_EQ(reduction.fileWidth, kWidth);
    EXPECT_TRUE(opaque);
    EXPECT_EQ(frame.transform.copies, 1);
    EXPECT_EQ(frame.fullSizeCopies, 0);
    // The decoder's rows, widened where they lie, with every alpha 255.
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    auto at = [&](UINT x, UINT y) { return pixels[size_t{y} * 10000 + x]; };
    EXPECT_EQ(at(300, 200), 0xFF5AC82Cu);
    EXPECT_EQ(at(9999, 4999), 0xFF5A870Fu);
    DeleteObject(bitmap);
}

}  // namespace
