// Declarations of the Susie plug-in interface as Oxel and its plug-ins use it:
// the two records exchanged, the input and output flags, the result codes and
// the function types of every export. Shared by the viewer's plug-in host and by
// both delivered plug-ins; it needs no windows.h, so the native build can use it.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define SPI_API __stdcall
#else
#define SPI_API
#endif

namespace spi {

// Result codes of every reading function.
enum ResultCode : int32_t {
    kSuccess = 0,
    kNotSupported = -1,       // request not supported (memory input) or member not found
    kUnknownFormat = 2,
    kNoMemory = 4,
    kMemoryError = 5,         // a block could not be locked or the picture not made
    kFileReadError = 6,       // file could not be opened, positioned or read
    kFileWriteError = 9,      // GetFile could not create its output file
};

// Input flag (bits 0 to 2 of the flag argument).
constexpr uint32_t kInputMask = 7;
constexpr uint32_t kInputFile = 0;    // first argument: ANSI file name; second: byte offset
constexpr uint32_t kInputMemory = 1;  // first argument: data; second: length in bytes

// Output flag of GetFile (bits 8 to 10).
constexpr uint32_t kOutputMask = 0x700;
constexpr uint32_t kOutputFile = 0;       // third argument: destination folder
constexpr uint32_t kOutputMemory = 0x100; // third argument: address of a local-memory handle

// IsSupported's second argument is a file handle when below this value,
// otherwise the address of the file's first bytes.
constexpr uintptr_t kHandleLimit = 0x10000;

// IsSupported given an address may rely on at least this many bytes (the
// file's head, zero-padded when the file is shorter).
constexpr size_t kSupportHeadSize = 2048;

// Size of the zero-padded head copy that Oxel's host passes to IsSupported.
constexpr size_t kHostHeadSize = 2176;

#pragma pack(push, 1)

struct PictureInfoRecord {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint16_t xDensity;
    uint16_t yDensity;
    int16_t colorDepth;
    uintptr_t textHandle;  // HLOCAL of free text about the picture, or 0
};

struct ArchiveMemberRecord {
    char method[8];       // e.g. "ttf"; a first byte of 0 ends a list
    uint32_t position;    // value to pass back to GetFile
    uint32_t compressedSize;
    uint32_t fileSize;
    int32_t timestamp;    // seconds since 1970-01-01 00:00 UTC
    char path[200];
    char fileName[200];
    uint32_t crc;
};

#pragma pack(pop)

// The picture record ends in a handle: 26 bytes in 32-bit modules, 30 in 64-bit
// ones. Every other field, and the whole archive record, keeps its width.
static_assert(sizeof(PictureInfoRecord) == (sizeof(void*) == 4 ? 26 : 30),
              "PictureInfoRecord is 26 bytes (32-bit) or 30 bytes (64-bit)");
static_assert(offsetof(PictureInfoRecord, width) == 8, "width at 8");
static_assert(offsetof(PictureInfoRecord, xDensity) == 16, "density at 16");
static_assert(offsetof(PictureInfoRecord, colorDepth) == 20, "depth at 20");
static_assert(offsetof(PictureInfoRecord, textHandle) == 22, "text handle at 22");

static_assert(sizeof(ArchiveMemberRecord) == 428, "ArchiveMemberRecord is 428 bytes");
static_assert(offsetof(ArchiveMemberRecord, position) == 8, "position at 8");
static_assert(offsetof(ArchiveMemberRecord, compressedSize) == 12, "stored size at 12");
static_assert(offsetof(ArchiveMemberRecord, fileSize) == 16, "size at 16");
static_assert(offsetof(ArchiveMemberRecord, timestamp) == 20, "time at 20");
static_assert(offsetof(ArchiveMemberRecord, path) == 24, "path at 24");
static_assert(offsetof(ArchiveMemberRecord, fileName) == 224, "name at 224");
static_assert(offsetof(ArchiveMemberRecord, crc) == 424, "crc at 424");

// Arguments that carry an address, a handle or a file offset are pointer-sized
// (uintptr_t, intptr_t: DWORD and LONG in 32-bit modules, ULONG_PTR and
// LONG_PTR in 64-bit ones); counts and flags stay 32 bits.

// Progress callback: current step, total steps, caller's data; non-zero asks to stop.
typedef int32_t(SPI_API* ProgressCallback)(int32_t step, int32_t total, intptr_t data);

// Function types of the exports, for hosts that look them up by name.
typedef int32_t(SPI_API* GetPluginInfoFn)(int32_t index, char* buffer, int32_t bufferSize);
typedef int32_t(SPI_API* GetPluginInfoWFn)(int32_t index, wchar_t* buffer, int32_t bufferChars);
typedef int32_t(SPI_API* IsSupportedFn)(const char* fileName, uintptr_t handleOrHead);
typedef int32_t(SPI_API* IsSupportedWFn)(const wchar_t* fileName, uintptr_t handleOrHead);
typedef int32_t(SPI_API* GetPictureInfoFn)(const char* source, intptr_t offsetOrLength,
                                           uint32_t flag, PictureInfoRecord* info);
typedef int32_t(SPI_API* GetPictureInfoWFn)(const wchar_t* source, intptr_t offsetOrLength,
                                            uint32_t flag, PictureInfoRecord* info);
// The two handle arguments receive HLOCAL values (void* on Windows).
typedef int32_t(SPI_API* GetPictureFn)(const char* source, intptr_t offsetOrLength,
                                       uint32_t flag, void** infoHandle, void** bitsHandle,
                                       ProgressCallback progress, intptr_t data);
typedef int32_t(SPI_API* GetPictureWFn)(const wchar_t* source, intptr_t offsetOrLength,
                                        uint32_t flag, void** infoHandle, void** bitsHandle,
                                        ProgressCallback progress, intptr_t data);
typedef GetPictureFn GetPreviewFn;
typedef GetPictureWFn GetPreviewWFn;
typedef int32_t(SPI_API* GetArchiveInfoFn)(const char* source, intptr_t offsetOrLength,
                                           uint32_t flag, void** listHandle);
typedef int32_t(SPI_API* GetFileInfoFn)(const char* source, intptr_t offsetOrLength,
                                        const char* memberName, uint32_t flag,
                                        ArchiveMemberRecord* member);
// dest is a folder name (file output) or the address of a handle variable (memory output).
typedef int32_t(SPI_API* GetFileFn)(const char* source, intptr_t position, void* dest,
                                    uint32_t flag, ProgressCallback progress, intptr_t data);

}  // namespace spi
