// The whole-file buffer; see file_buffer.h.
#include "viewer/decode/file_buffer.h"

#include <windows.h>

#include <cstdlib>

#include "viewer/archive/archive_access.h"
#include "viewer/decode/frame_index.h"
#include "viewer/look/frame_colour.h"

namespace {

// One sharing-friendly read of a whole file into new memory (malloc, as the
// loading flow frees it with free). Files beyond 2 GiB are refused.
uint8_t* ReadWholeFileW(const wchar_t* path, uint32_t& length) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    uint8_t* data = nullptr;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= 0x7FFFFFFF) {
        DWORD wanted = static_cast<DWORD>(size.QuadPart);
        data = static_cast<uint8_t*>(malloc(wanted));
        DWORD got = 0;
        if (data && (!ReadFile(file, data, wanted, &got, nullptr) || got != wanted)) {
            free(data);
            data = nullptr;
        }
        if (data) length = wanted;
    }
    CloseHandle(file);
    return data;
}

}  // namespace

bool ReadFileBuffer(const wchar_t* path, DecodeState& state) {
    if (state.fileBuffer) return true;
    uint32_t length = 0;
    state.fileBuffer = ReadWholeFileW(path, length);
    state.fileLength = state.fileBuffer ? length : 0;
    return state.fileBuffer != nullptr;
}

void FreeFileBuffer(DecodeState& state) {
    // The index (a WebP demultiplexer among it) refers to the buffer.
    delete state.frameIndex;
    state.frameIndex = nullptr;
    free(state.fileBuffer);
    state.fileBuffer = nullptr;
    state.fileLength = 0;
    FreeFrameColour(state);
    FreeArchiveIndex(state);
}

int32_t NormalizeSubIndex(int32_t subIndex, uint32_t count) {
    if (count == 0) return 0;
    if (subIndex < 0) return static_cast<int32_t>(count - 1);
    if (static_cast<uint32_t>(subIndex) >= count) return 0;
    return subIndex;
}
