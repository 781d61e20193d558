// A Susie image plug-in for the viewer's tests. It reads "TPIC" files (the
// signature, width and height as 16-bit values, then one blue, green, red
// colour that fills the picture) and claims PNG files too, which it answers
// with a 7 x 5 magenta picture, so that a test sees that it was asked before
// the built-in decoders. Its picture information carries a text block. Every
// export faults on request (test_faults.h). Its settings dialog tells its
// owner window by that window's title, "owned <process id>", when a window
// made with that owner has it.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "spi/susie.h"
#include "test_faults.h"

namespace {

const char* const kInfo[] = {"00IN", "Oxel test image plug-in", "*.tpic;*.png", "test pictures"};

bool IsPng(const uint8_t* head) { return memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0; }
bool IsTpic(const uint8_t* head) { return memcmp(head, "TPIC", 4) == 0; }

struct Facts {
    int32_t width, height;
    uint8_t bgr[3];
};

bool ReadFacts(const char* path, Facts& facts) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    uint8_t head[11] = {};
    DWORD got = 0;
    ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    if (got >= 8 && IsPng(head)) {
        facts = Facts{7, 5, {255, 0, 255}};
        return true;
    }
    if (got < 11 || !IsTpic(head)) return false;
    facts = Facts{head[4] | (head[5] << 8), head[6] | (head[7] << 8), {head[8], head[9], head[10]}};
    return facts.width > 0 && facts.height > 0;
}

}  // namespace

extern "C" {

int32_t SPI_API GetPluginInfo(int32_t index, char* buffer, int32_t size) {
    test_plugin::FaultIfAsked("GetPluginInfo");
    return test_plugin::CopyInfo(kInfo, 4, index, buffer, size);
}

int32_t SPI_API IsSupported(const char*, uintptr_t head) {
    test_plugin::FaultIfAsked("IsSupported");
    if (head < spi::kHandleLimit) return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(head);
    return IsPng(bytes) || IsTpic(bytes);
}

int32_t SPI_API GetPictureInfo(const char* source, intptr_t, uint32_t flag, spi::PictureInfoRecord* info) {
    test_plugin::FaultIfAsked("GetPictureInfo");
    Facts facts;
    if ((flag & spi::kInputMask) != spi::kInputFile) return spi::kNotSupported;
    if (!ReadFacts(source, facts)) return spi::kUnknownFormat;
    *info = spi::PictureInfoRecord{0, 0, facts.width, facts.height, 0, 0, 24, 0};
    info->textHandle = reinterpret_cast<uintptr_t>(test_plugin::HandOverBlock());
    return spi::kSuccess;
}

int32_t SPI_API GetPicture(const char* source, intptr_t, uint32_t flag, void** infoHandle, void** bitsHandle,
                           spi::ProgressCallback progress, intptr_t data) {
    test_plugin::FaultIfAsked("GetPicture");
    Facts facts;
    if ((flag & spi::kInputMask) != spi::kInputFile) return spi::kNotSupported;
    if (!ReadFacts(source, facts)) return spi::kUnknownFormat;
    // Stopped, it answers with the 2 x 2 corner it has drawn so far.
    if (test_plugin::Asked("GetPicture", "slow") && test_plugin::WorkUntilStopped(progress, data)) {
        facts.width = facts.height = 2;
    }
    if (progress) progress(0, 1, data);
    const size_t stride = (static_cast<size_t>(facts.width) * 3 + 3) & ~size_t{3};
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
    HLOCAL bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, stride * facts.height);
    if (!info || !bits) {
        if (info) LocalFree(info);
        if (bits) LocalFree(bits);
        return spi::kNoMemory;
    }
    auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(info));
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = facts.width;
    header->biHeight = facts.height;
    header->biPlanes = 1;
    header->biBitCount = 24;
    LocalUnlock(info);
    auto* pixels = static_cast<uint8_t*>(LocalLock(bits));
    for (int32_t y = 0; y < facts.height; ++y) {
        for (int32_t x = 0; x < facts.width; ++x) memcpy(pixels + y * stride + x * 3, facts.bgr, 3);
    }
    LocalUnlock(bits);
    *infoHandle = info;
    *bitsHandle = bits;
    if (progress) progress(1, 1, data);
    return spi::kSuccess;
}

int32_t SPI_API ConfigurationDlg(HWND owner, int32_t) {
    HWND dialog = CreateWindowExA(0, "STATIC", "test settings", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr,
                                  nullptr);
    if (!dialog) return spi::kMemoryError;
    const bool owned = owner && GetWindow(dialog, GW_OWNER) == owner;
    DestroyWindow(dialog);
    char title[64];
    wsprintfA(title, "owned %lu", GetCurrentProcessId());
    if (owned) SetWindowTextA(owner, title);
    return owned ? spi::kSuccess : spi::kNotSupported;
}

}  // extern "C"

constexpr spi::GetPluginInfoFn kGetPluginInfo = &GetPluginInfo;
constexpr spi::IsSupportedFn kIsSupported = &IsSupported;
constexpr spi::GetPictureInfoFn kGetPictureInfo = &GetPictureInfo;
constexpr spi::GetPictureFn kGetPicture = &GetPicture;
