// The exports of glypho.spi: plug-in information, the type check, picture
// information, the specimen and the preview, each with its wide twin. Every call
// reads the settings afresh; the module handle is the only state kept.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "plugins/glypho/font_file.h"
#include "plugins/glypho/input.h"
#include "plugins/glypho/plugin_info.h"
#include "plugins/glypho/settings.h"
#include "plugins/glypho/specimen.h"
#include "spi/susie.h"

using namespace glypho;

namespace {

constexpr int32_t kHeadBytes = 12;

bool IsFileMode(uint32_t flag) {
    return (flag & spi::kInputMask) == 0;
}

// The ANSI form of a wide path: its short (8.3) form in the thread's code page,
// so that names outside the code page still open. A name without a short form
// (a missing file) is converted as it is.
struct AnsiPath {
    explicit AnsiPath(const wchar_t* wide) {
        text[0] = 0;
        if (!wide) return;
        wchar_t shortPath[MAX_PATH] = {0};
        DWORD n = GetShortPathNameW(wide, shortPath, MAX_PATH);
        const wchar_t* source = n > 0 && n < MAX_PATH ? shortPath : wide;
        if (!WideCharToMultiByte(CP_THREAD_ACP, 0, source, -1, text, sizeof(text), nullptr, nullptr)) {
            text[0] = 0;
        }
    }
    char text[MAX_PATH * 2];
};

typedef int (*Renderer)(uint8_t* image, size_t size, HLOCAL* info, HLOCAL* bits);

// Shared by GetPicture and GetPreview: the font image from the file or the
// caller's memory, the type check, then the drawing.
int32_t MakePicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits, Renderer render) {
    if (!info || !bits) return spi::kMemoryError;
    HLOCAL* infoOut = reinterpret_cast<HLOCAL*>(info);
    HLOCAL* bitsOut = reinterpret_cast<HLOCAL*>(bits);
    *infoOut = nullptr;
    *bitsOut = nullptr;
    bool collectionsOn = ReadCollectionSwitchForTypeCheck();
    if (!IsFileMode(flag)) {
        if (!buf || len < kHeadBytes) return spi::kUnknownFormat;
        // Memory input: the caller's block itself is drawn, and its family letter changed.
        uint8_t* image = reinterpret_cast<uint8_t*>(const_cast<char*>(buf));
        size_t size = static_cast<size_t>(len);
        if (CheckFontType(image, size, collectionsOn) != FontCheck::kAccepted) return spi::kUnknownFormat;
        return render(image, size, infoOut, bitsOut);
    }
    if (!buf) return spi::kFileReadError;
    HLOCAL block = nullptr;
    size_t size = 0;
    int status = LoadFontFile(buf, len, &block, &size);
    if (status != 0) return status;
    uint8_t* image = static_cast<uint8_t*>(block);
    if (CheckFontType(image, size, collectionsOn) == FontCheck::kAccepted) {
        status = render(image, size, infoOut, bitsOut);
    } else {
        status = spi::kUnknownFormat;
    }
    LocalFree(block);
    return status;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetPluginModule(instance);
    return TRUE;
}

int32_t WINAPI GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    const char* text = PluginInfoString(infono, ReadCollectionSwitch());
    if (!text || !buf) return 0;
    return CopyInfoString(text, buf, buflen);
}

int32_t WINAPI GetPluginInfoW(int32_t infono, wchar_t* buf, int32_t buflen) {
    if (!buf || buflen < 1) return 0;
    char ansi[1024] = {0};
    GetPluginInfo(infono, ansi, sizeof(ansi));
    wchar_t wide[1024] = {0};
    int units = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, ansi, -1, wide, 1024);
    int length = units > 0 ? units - 1 : 0;
    // A buffer too small for the whole string gets its head and a terminator.
    if (length > buflen - 1) length = buflen - 1;
    std::memcpy(buf, wide, length * sizeof(wchar_t));
    buf[length] = 0;
    return length;
}

int32_t WINAPI IsSupported(const char* filename, uintptr_t dw) {
    bool collectionsOn = ReadCollectionSwitchForTypeCheck();
    if (dw < spi::kHandleLimit) {
        return CheckOpenFile(reinterpret_cast<HANDLE>(dw), collectionsOn) ? 1 : 0;
    }
    // The host's head copy holds the file's first 2 KB. A collection whose first
    // member lies beyond them is judged by its header; GetPicture checks it whole.
    FontCheck check = CheckFontType(reinterpret_cast<const uint8_t*>(dw), spi::kSupportHeadSize, collectionsOn);
    return check == FontCheck::kRefused ? 0 : 1;
}

int32_t WINAPI IsSupportedW(const wchar_t* filename, uintptr_t dw) {
    AnsiPath path(filename);
    return IsSupported(path.text, dw);
}

int32_t WINAPI GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, spi::PictureInfoRecord* lpInfo) {
    if (!lpInfo) return spi::kMemoryError;
    bool collectionsOn = ReadCollectionSwitchForTypeCheck();
    int status;
    if (IsFileMode(flag)) {
        status = buf ? CheckFileAt(buf, len, collectionsOn) : spi::kFileReadError;
    } else if (!buf || len < kHeadBytes) {
        status = spi::kUnknownFormat;
    } else {
        FontCheck check = CheckFontType(reinterpret_cast<const uint8_t*>(buf), static_cast<size_t>(len), collectionsOn);
        status = check == FontCheck::kAccepted ? 0 : spi::kUnknownFormat;
    }
    if (status != 0) return status;
    std::memset(lpInfo, 0, sizeof(*lpInfo));
    ReadSpecimenSize(&lpInfo->width, &lpInfo->height);
    lpInfo->colorDepth = 24;
    return 0;
}

int32_t WINAPI GetPictureInfoW(const wchar_t* buf, intptr_t len, uint32_t flag, spi::PictureInfoRecord* lpInfo) {
    if (!IsFileMode(flag)) return GetPictureInfo(reinterpret_cast<const char*>(buf), len, flag, lpInfo);
    AnsiPath path(buf);
    return GetPictureInfo(path.text, len, flag, lpInfo);
}

int32_t WINAPI GetPicture(const char* buf, intptr_t len, uint32_t flag, void** pHBInfo, void** pHBm,
                          spi::ProgressCallback, intptr_t) {
    return MakePicture(buf, len, flag, pHBInfo, pHBm, RenderSpecimen);
}

int32_t WINAPI GetPictureW(const wchar_t* buf, intptr_t len, uint32_t flag, void** pHBInfo, void** pHBm,
                           spi::ProgressCallback progress, intptr_t data) {
    if (!IsFileMode(flag)) {
        return GetPicture(reinterpret_cast<const char*>(buf), len, flag, pHBInfo, pHBm, progress, data);
    }
    AnsiPath path(buf);
    return GetPicture(path.text, len, flag, pHBInfo, pHBm, progress, data);
}

int32_t WINAPI GetPreview(const char* buf, intptr_t len, uint32_t flag, void** pHBInfo, void** pHBm,
                          spi::ProgressCallback, intptr_t) {
    return MakePicture(buf, len, flag, pHBInfo, pHBm, RenderPreview);
}

int32_t WINAPI GetPreviewW(const wchar_t* buf, intptr_t len, uint32_t flag, void** pHBInfo, void** pHBm,
                           spi::ProgressCallback progress, intptr_t data) {
    if (!IsFileMode(flag)) {
        return GetPreview(reinterpret_cast<const char*>(buf), len, flag, pHBInfo, pHBm, progress, data);
    }
    AnsiPath path(buf);
    return GetPreview(path.text, len, flag, pHBInfo, pHBm, progress, data);
}

}  // extern "C"

// Each export has the interface's type, calling convention included: a
// mismatch does not compile.
constexpr spi::GetPluginInfoFn kGetPluginInfo = &GetPluginInfo;
constexpr spi::GetPluginInfoWFn kGetPluginInfoW = &GetPluginInfoW;
constexpr spi::IsSupportedFn kIsSupported = &IsSupported;
constexpr spi::IsSupportedWFn kIsSupportedW = &IsSupportedW;
constexpr spi::GetPictureInfoFn kGetPictureInfo = &GetPictureInfo;
constexpr spi::GetPictureInfoWFn kGetPictureInfoW = &GetPictureInfoW;
constexpr spi::GetPictureFn kGetPicture = &GetPicture;
constexpr spi::GetPictureWFn kGetPictureW = &GetPictureW;
constexpr spi::GetPreviewFn kGetPreview = &GetPreview;
constexpr spi::GetPreviewWFn kGetPreviewW = &GetPreviewW;
