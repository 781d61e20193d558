// IWICBitmapSourceTransform {3B16811B-6A43-4EC9-B713-3D5A0C13B940}, which the
// cross compiler's headers lack: a frame that has it can decode at a smaller
// size itself. Declared outside any unnamed namespace: there, with no class
// of the file deriving from it, the compiler may take every call through it
// for unreachable.
#pragma once

#include <windows.h>
#include <wincodec.h>

struct WicSourceTransform : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                                 WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                                 UINT stride, UINT bufferSize, BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};

inline constexpr IID kWicSourceTransformId = {0x3b16811b, 0x6a43, 0x4ec9,
                                              {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};
