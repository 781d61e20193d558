// Save as bitmap; see save_bitmap.h.
#include "viewer/fileops/save_bitmap.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "viewer/core/dialogs.h"
#include "viewer/core/message_box.h"
#include "viewer/core/viewer_state.h"
#include "viewer/display/geometry.h"
#include "viewer/fileops/path_checks.h"
#include "viewer/fileops/turned_picture.h"

namespace {

constexpr uint32_t kHeadersSize = 14 + 40;

void PutU16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Depths that GetDIBits delivers; a bitmap of another (15) is read at the
// nearest one above.
WORD FileDepth(WORD bitmapDepth) {
    switch (bitmapDepth) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return bitmapDepth;
    default:
        return bitmapDepth < 16 ? 16 : bitmapDepth < 24 ? 24 : 32;
    }
}

uint32_t ColourEntries(WORD depth) { return depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0; }

bool WriteAll(HANDLE file, const void* data, uint64_t size) {
    const uint8_t* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr) || written != chunk) return false;
        at += chunk;
        size -= chunk;
    }
    return true;
}

// The file's bytes into `file`: headers, colour table, rows.
bool WriteBitmapTo(HANDLE file, HBITMAP bitmap) {
    BITMAP facts = {};
    if (!GetObjectW(bitmap, sizeof facts, &facts)) return false;
    const int32_t width = facts.bmWidth;
    const int32_t height = facts.bmHeight < 0 ? -facts.bmHeight : facts.bmHeight;
    if (width <= 0 || height <= 0) return false;
    const WORD depth = FileDepth(static_cast<WORD>(facts.bmBitsPixel * facts.bmPlanes));
    const uint32_t entries = ColourEntries(depth);
    // The file's size field has 32 bits.
    const uint64_t rowSize = (static_cast<uint64_t>(width) * depth + 31) / 32 * 4;
    const uint64_t pixelBytes = rowSize * static_cast<uint64_t>(height);
    const uint64_t offset = kHeadersSize + 4ull * entries;
    if (offset + pixelBytes > 0xFFFFFFFFull) return false;

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = depth;
    info.header.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!memory) return false;
    if (entries) {
        // The table of a DIB section; GetDIBits below fills it for a
        // device-dependent bitmap as well.
        HGDIOBJ previous = SelectObject(memory, bitmap);
        GetDIBColorTable(memory, 0, entries, info.colours);
        SelectObject(memory, previous);
    }
    // The rows go through a band of at most 16 MB, bottom row first as the
    // file holds them, so that a large picture needs no second full copy.
    const uint64_t bandRows64 = std::max<uint64_t>(1, std::min<uint64_t>(height, (16u << 20) / rowSize));
    const int32_t bandRows = static_cast<int32_t>(bandRows64);
    void* band = HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(rowSize * bandRows64));
    bool done = band != nullptr;
    GdiFlush();
    for (int32_t scan = 0; done && scan < height; scan += bandRows) {
        const int32_t rows = std::min(bandRows, height - scan);
        // GetDIBits wants the bitmap outside any device context.
        done = GetDIBits(memory, bitmap, static_cast<UINT>(scan), static_cast<UINT>(rows), band,
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == rows;
        if (done && scan == 0) {
            uint8_t headers[kHeadersSize] = {'B', 'M'};
            PutU32(headers + 2, static_cast<uint32_t>(offset + pixelBytes));
            PutU32(headers + 10, static_cast<uint32_t>(offset));
            PutU32(headers + 14, 40);
            PutU32(headers + 18, static_cast<uint32_t>(width));
            PutU32(headers + 22, static_cast<uint32_t>(height));
            PutU16(headers + 26, 1);
            PutU16(headers + 28, depth);
            // Compression, image size, resolutions and colour counts stay 0.
            done = WriteAll(file, headers, sizeof headers) && WriteAll(file, info.colours, 4ull * entries);
        }
        if (done) done = WriteAll(file, band, rowSize * static_cast<uint64_t>(rows));
    }
    DeleteDC(memory);
    if (band) HeapFree(GetProcessHeap(), 0, band);
    return done;
}

const wchar_t* SaveText(const ViewerState& state, const wchar_t* english, const wchar_t* japanese) {
    return state.settings.English ? english : japanese;
}

void TellSaveFailed(ViewerState& state, const wchar_t* path) {
    std::wstring text = SaveText(state, L"Fail to save %s.", L"%s の保存に失敗しました。");
    text.replace(text.find(L"%s"), 2, PathFindFileNameW(path));
    ShowMessageBox(state.window, text.c_str(), L"Oxel", MB_OK | MB_ICONERROR);
}

// The dialog's proposal: the starting folder with the current file's name,
// its extension made ".bmp"; the name alone when that would not fit.
void ProposeName(const ViewerState& state, const wchar_t* current, wchar_t (&proposal)[MAX_PATH]) {
    wchar_t name[MAX_PATH];
    lstrcpynW(name, PathFindFileNameW(current), MAX_PATH - 4);
    PathRenameExtensionW(name, L".bmp");
    if (!JoinPath(state.destinationFolder, name, proposal)) lstrcpynW(proposal, name, MAX_PATH);
}

}  // namespace

bool WriteBitmapFile(HBITMAP bitmap, const wchar_t* path) {
    if (!bitmap || !path || !path[0]) return false;
    wchar_t folder[MAX_PATH];
    ParentFolder(path, folder);
    if (!folder[0]) lstrcpyW(folder, L".");
    // A read-only file or a folder in the target's place stays (not every
    // file system refuses the replacement by itself).
    const DWORD existing = GetFileAttributesW(path);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder, L"oxl", 0, temporary)) return false;
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool done = file != INVALID_HANDLE_VALUE;
    if (done) {
        done = WriteBitmapTo(file, bitmap) && FlushFileBuffers(file);
        CloseHandle(file);
    }
    // Only a whole file takes the target's place.
    if (done) done = MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!done) DeleteFileW(temporary);
    return done;
}

SaveResult SavePictureAsBitmap(ViewerState& state) {
    SaveResult result = {SaveOutcome::kNotSaved, L""};
    // What the command began on. The dialog's loop may dispatch messages to
    // the window; should the shown picture be another one when it returns,
    // nothing is written under a name chosen for this one.
    const CapturedPicture captured = CapturePicture(state);
    wchar_t current[MAX_PATH];
    lstrcpynW(current, captured.path.c_str(), MAX_PATH);

    wchar_t file[MAX_PATH];
    ProposeName(state, current, file);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = state.window;
    dialog.lpstrFilter = SaveText(state, L"Bitmap File(*.bmp)\0*.bmp\0", L"ビットマップファイル(*.bmp)\0*.bmp\0");
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = state.destinationFolder;
    dialog.lpstrTitle = SaveText(state, L"Oxel - Save Filename", L"Oxel - 保存ファイル名を選択");
    dialog.lpstrDefExt = L"bmp";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    // A name too long for the buffer fails like a cancel.
    if (!ShowSaveDialog(&dialog) || !file[0] || !StillShown(state, captured)) return result;

    // The shown file under its own name, or under another one (a short name).
    const FileIdentity identity = CompareFiles(file, current);
    if (lstrcmpiW(file, current) == 0 || identity == FileIdentity::kSame) {
        ShowMessageBox(state.window,
                       SaveText(state, L"Select same file as current.", L"現在と同じファイルが指定されました。"),
                       L"Oxel", MB_OK | MB_ICONERROR);
        return result;
    }

    // A file in the target's place that cannot be told apart from the shown
    // one may be that file: it is not written over.
    if (identity == FileIdentity::kUnknown && GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES) {
        TellSaveFailed(state, file);
        return result;
    }

    // Unturned, this is the decoded bitmap itself: it is only read.
    const DecodedPicture& picture = state.picture;
    HBITMAP turned = MakeRotatedBitmap(state.window, picture.bitmap, picture.width, picture.height, state.settings);
    const bool written = turned && WriteBitmapFile(turned, file);
    FreeDisplayBitmap(turned, picture.bitmap);
    if (!written) {
        TellSaveFailed(state, file);
        return result;
    }

    wchar_t savedFolder[MAX_PATH], shownFolder[MAX_PATH];
    ParentFolder(file, savedFolder);
    ParentFolder(current, shownFolder);
    const size_t capacity = sizeof state.destinationFolder / sizeof state.destinationFolder[0];
    if (state.settings.MemorizeFolder && static_cast<size_t>(lstrlenW(savedFolder)) < capacity) {
        lstrcpynW(state.destinationFolder, savedFolder, static_cast<int>(capacity));
    }
    lstrcpynW(result.path, file, MAX_PATH);
    result.outcome = IsSameFolder(savedFolder, shownFolder) ? SaveOutcome::kSavedIntoShownFolder : SaveOutcome::kSaved;
    return result;
}
