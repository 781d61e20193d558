// The EXIF turn; see picture_turn.h.
#include "viewer/look/picture_turn.h"

#include <memory>
#include <new>

#include "viewer/formats/picture_tags.h"
#include "viewer/imaging/wic_decode.h"

namespace {

// A temporary file for one turn, deleted by the system when it is closed,
// even when the process ends first.
class SpillFile {
public:
    SpillFile() {
        wchar_t folder[MAX_PATH], path[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, folder);
        if (length == 0 || length >= MAX_PATH || !GetTempFileNameW(folder, L"oxt", 0, path)) return;
        handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) DeleteFileW(path);
    }
    ~SpillFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // Whole bytes in pieces small enough for one call each.
    bool Write(const uint8_t* data, size_t length) {
        while (length > 0) {
            const DWORD piece = static_cast<DWORD>(length < kPiece ? length : kPiece);
            DWORD written = 0;
            if (!WriteFile(handle_, data, piece, &written, nullptr) || written != piece) return false;
            data += piece;
            length -= piece;
        }
        return true;
    }
    bool Read(uint8_t* data, size_t length) {
        while (length > 0) {
            const DWORD piece = static_cast<DWORD>(length < kPiece ? length : kPiece);
            DWORD read = 0;
            if (!ReadFile(handle_, data, piece, &read, nullptr) || read != piece) return false;
            data += piece;
            length -= piece;
        }
        return true;
    }
    bool Rewind() {
        LARGE_INTEGER start = {};
        return SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) != 0;
    }

private:
    static constexpr size_t kPiece = size_t{16} << 20;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Room for a second picture of `bytes` beside the first: memory the machine
// has free, and address space that leaves room for the other thread's
// pictures (the 32-bit build's two gigabytes fragment).
bool RoomForSecondPicture(size_t bytes) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) return false;
    const uint64_t size = bytes;
    return status.ullAvailPhys / 2 >= size && status.ullAvailVirtual / 4 >= size;
}

// The bytes of a band of rows, as many rows as fit (at least one).
constexpr size_t kBandBytes = size_t{4} << 20;

// The quarter turn through the spill file: the picture is written out and
// freed before its turned twin is made and filled band by band. When the
// twin finds no room, the picture is made again as it was.
HBITMAP TurnThroughFile(HBITMAP bitmap, const uint8_t* bits, int32_t width, int32_t height, int32_t orientation,
                        bool& turned) {
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const size_t bandRows = rowBytes >= kBandBytes ? 1 : kBandBytes / rowBytes;
    std::unique_ptr<uint8_t[]> band(new (std::nothrow) uint8_t[bandRows * rowBytes]);
    SpillFile spill;
    if (!band || !spill.IsOpen() || !spill.Write(bits, rowBytes * static_cast<size_t>(height)) || !spill.Rewind()) {
        return bitmap;
    }
    DeleteObject(bitmap);

    int32_t turnedWidth = 0, turnedHeight = 0;
    OrientedSize(orientation, width, height, turnedWidth, turnedHeight);
    void* target = nullptr;
    HBITMAP twin = CreateTopDownSection(nullptr, turnedWidth, turnedHeight, &target);
    if (!twin) {
        // Back as it was, or nothing at all.
        HBITMAP again = CreateTopDownSection(nullptr, width, height, &target);
        if (again && !spill.Read(static_cast<uint8_t*>(target), rowBytes * static_cast<size_t>(height))) {
            DeleteObject(again);
            again = nullptr;
        }
        return again;
    }
    for (int32_t top = 0; top < height;) {
        const int32_t rows = static_cast<int32_t>(
            bandRows < static_cast<size_t>(height - top) ? bandRows : static_cast<size_t>(height - top));
        if (!spill.Read(band.get(), rowBytes * static_cast<size_t>(rows))) {
            DeleteObject(twin);
            return nullptr;
        }
        OrientBand(reinterpret_cast<const uint32_t*>(band.get()), width, height, top, rows, orientation,
                   static_cast<uint32_t*>(target));
        top += rows;
    }
    turned = true;
    return twin;
}

}  // namespace

HBITMAP TurnSection(HBITMAP bitmap, uint8_t* bits, int32_t width, int32_t height, int32_t orientation,
                    bool& turned, TurnRoom room) {
    turned = false;
    if (!bitmap || !bits || width <= 0 || height <= 0 || orientation < 2 || orientation > 8) return bitmap;
    GdiFlush();
    if (OrientInPlace(reinterpret_cast<uint32_t*>(bits), width, height, orientation)) {
        turned = true;
        return bitmap;
    }

    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    if (room == TurnRoom::Auto && RoomForSecondPicture(bytes)) {
        int32_t turnedWidth = 0, turnedHeight = 0;
        OrientedSize(orientation, width, height, turnedWidth, turnedHeight);
        void* target = nullptr;
        if (HBITMAP twin = CreateTopDownSection(nullptr, turnedWidth, turnedHeight, &target)) {
            OrientPixels(reinterpret_cast<const uint32_t*>(bits), width, height, orientation,
                         static_cast<uint32_t*>(target));
            DeleteObject(bitmap);
            turned = true;
            return twin;
        }
    }
    return TurnThroughFile(bitmap, bits, width, height, orientation, turned);
}
