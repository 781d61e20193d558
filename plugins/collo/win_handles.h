// Owners of the two kinds of Windows handle the plug-in opens: a file handle
// and a local-memory block. Non-copyable, so each handle is closed or freed
// exactly once, on every return path.
#pragma once

#include <windows.h>

namespace collo {

struct FileHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;

    FileHandle() = default;
    explicit FileHandle(HANDLE h) : handle(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
};

struct LocalBlock {
    HLOCAL handle = nullptr;

    LocalBlock() = default;
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    LocalBlock(LocalBlock&& other) noexcept : handle(other.Release()) {}
    ~LocalBlock() {
        if (handle != nullptr) LocalFree(handle);
    }
    // Fixed blocks: the handle is the address of the bytes.
    uint8_t* Bytes() const { return static_cast<uint8_t*>(handle); }
    HLOCAL Release() {
        HLOCAL h = handle;
        handle = nullptr;
        return h;
    }
};

}  // namespace collo
