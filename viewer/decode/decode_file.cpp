// The decoder dispatcher; see decode_file.h. Decoders return null and the
// dispatcher goes on down the list; only the WIC admission and WIC itself end
// the search with the "unsupported" status.
#include "viewer/decode/decode_file.h"

#include <cstdlib>
#include <cstring>

#include "viewer/archive/archive_access.h"
#include "viewer/decode/decoder_steps.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/formats/bmp_depth.h"
#include "viewer/formats/tiff_depth.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/look/picture_look.h"

namespace {

bool IsExtension(const char* extension, const char* name) { return lstrcmpiA(extension, name) == 0; }

void ShowArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

int32_t ReadBmpFileDepth(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    uint8_t header[kBmpDepthBytes];
    DWORD got = 0;
    BOOL read = ReadFile(file, header, sizeof(header), &got, nullptr);
    CloseHandle(file);
    return read ? BmpBitDepth(header, got) : -1;
}

bool ReadFileAt(void* context, uint64_t offset, uint8_t* out, size_t n) {
    HANDLE file = static_cast<HANDLE>(context);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    return n <= 0xFFFFFFFFu && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, out, static_cast<DWORD>(n), &got, nullptr) && got == n;
}

// The depth from the few bytes that the header and the first directory point
// at; a large file is not read whole for them.
int32_t ReadTiffFileDepth(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size;
    int32_t depth = -1;
    if (GetFileSizeEx(file, &size)) {
        depth = ReadTiffBitDepth(TiffSource{ReadFileAt, file, static_cast<uint64_t>(size.QuadPart)});
    }
    CloseHandle(file);
    return depth;
}

int32_t BitmapDepth(HBITMAP bitmap) {
    BITMAP bm = {};
    return GetObjectW(bitmap, sizeof(bm), &bm) ? bm.bmBitsPixel : -1;
}

// The depth that the user is told, by extension; `depth` is the working depth
// of the GIF, PNG or icon reader or of the plug-in.
int32_t ReportedDepth(const wchar_t* path, const char* extension, int32_t depth, bool fromPlugin,
                      const DecodedPicture& picture, HBITMAP bitmap) {
    if (IsExtension(extension, ".gif") || IsExtension(extension, ".png") || IsExtension(extension, ".ico") ||
        IsExtension(extension, ".icon")) {
        // Until a reader has told the depth, the bitmap's own depth is the
        // honest answer.
        return depth != -1 ? depth : BitmapDepth(bitmap);
    }
    if (IsExtension(extension, ".bmp")) return ReadBmpFileDepth(path);
    if (IsExtension(extension, ".tiff") || IsExtension(extension, ".tif")) return ReadTiffFileDepth(path);
    if (IsExtension(extension, ".jpg") || IsExtension(extension, ".jpeg")) return 24;
    if (IsExtension(extension, ".webp")) return static_cast<int16_t>(picture.bitsPerPixel);
    return fromPlugin ? depth : BitmapDepth(bitmap);
}

HBITMAP Finish(const wchar_t* path, const char* extension, int32_t depth, bool fromPlugin, DecodedPicture& picture,
               HBITMAP bitmap) {
    ShowArrowCursor();
    if (picture.width == 0) {
        BITMAP bm = {};
        if (GetObjectW(bitmap, sizeof(bm), &bm)) {
            picture.width = bm.bmWidth;
            picture.height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
        }
    }
    // -1 (unknown) is kept as 0xFFFF, as the field is 16 bits wide.
    picture.bitsPerPixel = static_cast<uint16_t>(ReportedDepth(path, extension, depth, fromPlugin, picture, bitmap));
    return bitmap;
}

HBITMAP Unsupported(DecodedPicture& picture) {
    ShowArrowCursor();
    picture.width = kStatusUnsupported;
    return nullptr;
}

// An extracted archive member, decoded by the same rules as any file.
HBITMAP DecodeArchiveMember(const wchar_t* path, const char* ansiPath, const char* extension,
                            const Settings& settings, PluginList& plugins, HWND window, int direction,
                            DecodedPicture& picture) {
    DecodeState member = {};
    HBITMAP bitmap = DecodeFile(path, ansiPath, extension, member, settings, plugins, window, direction, picture);
    FreeFileBuffer(member);
    return bitmap;
}

// The archive of the plug-in at `position`, searched with that member decoder.
HBITMAP ReadPluginArchive(const wchar_t* path, const char* ansiPath, PluginList& plugins, size_t position,
                          DecodeState& state, const Settings& settings, HWND window, int direction,
                          DecodedPicture& picture) {
    return DecodeArchivePluginMember(path, ansiPath, plugins, position, state, settings, window, direction,
                                     DecodeArchiveMember, picture);
}

// The look of a picture shown reduced; the file's own size is turned with it
// when its orientation stands it on its side.
HBITMAP LookReduced(const wchar_t* path, const DecodeState& state, const Settings& settings, HWND window,
                    HBITMAP bitmap, const WicReduction& reduction, DecodedPicture& picture) {
    BITMAP bm = {};
    GetObjectW(bitmap, sizeof(bm), &bm);
    picture.width = bm.bmWidth;
    picture.height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    const int32_t shownWidth = picture.width;
    bitmap = ApplyPictureLook(path, state, settings, window, bitmap, LookPixels::Straight, picture);
    const bool turned = picture.width != shownWidth;
    picture.fileWidth = turned ? reduction.fileHeight : reduction.fileWidth;
    picture.fileHeight = turned ? reduction.fileWidth : reduction.fileHeight;
    return bitmap;
}

}  // namespace

bool IsAdmittedByWic(const char* extension, const char* wicExtensions) {
    if (!wicExtensions[0]) return true;
    if (!extension[0]) return false;
    char list[MAX_PATH];
    char wanted[MAX_PATH];
    lstrcpynA(list, wicExtensions, MAX_PATH);
    lstrcpynA(wanted, extension, MAX_PATH);
    CharLowerA(list);
    CharLowerA(wanted);
    return strstr(list, wanted) != nullptr;
}

HBITMAP DecodeFile(const wchar_t* path, const char* ansiPath, const char* extension, DecodeState& state,
                   const Settings& settings, PluginList& plugins, HWND window, int direction,
                   DecodedPicture& picture) {
    picture.premultipliedAlpha = 0;
    picture.lastIndex = -1;
    picture.fileWidth = 0;
    picture.fileHeight = 0;
    int32_t depth = -1;
    // An archive member over the size limit is told ("Too Large.") when
    // nothing else decodes the file.
    bool tooLarge = false;
    auto afterArchive = [&] {
        tooLarge = tooLarge || picture.height == kStatusTooLarge;
        picture.width = 0;
        picture.height = 0;
    };
    auto unsupported = [&] {
        HBITMAP none = Unsupported(picture);
        if (tooLarge) picture.height = kStatusTooLarge;
        return none;
    };
    // The picture decoded but found no memory to be turned in.
    auto lostToTheTurn = [&] {
        tooLarge = true;
        return unsupported();
    };

    if (!plugins.empty() && ansiPath[0]) {
        bool fromArchive = false;
        HBITMAP bitmap = ProbePlugins(path, ansiPath, extension, state, settings, plugins, window, direction,
                                      ReadPluginArchive, picture, depth, fromArchive);
        if (bitmap && fromArchive) {
            // The member's own decode has told its size and depth.
            ShowArrowCursor();
            return bitmap;
        }
        if (bitmap) {
            bitmap = ApplyPictureLook(path, state, settings, window, bitmap, LookPixels::Plugin, picture);
            if (!bitmap) return lostToTheTurn();
            return Finish(path, extension, depth, true, picture, bitmap);
        }
        afterArchive();
    }

    if (IsExtension(extension, ".gif")) {
        const uint32_t count = CountGifFrames(path, state);
        if (state.fileBuffer) ReadGifFrameFacts(state, picture, depth);
        // A still GIF goes on to WIC like any other picture, unless it has
        // no colour table at all, which WIC cannot take.
        if (count >= 2 || (count == 1 && !GifHasColours(state))) {
            bool frameTooLarge = false;
            if (HBITMAP bitmap = BuildGifFrame(state, picture, frameTooLarge)) {
                picture.premultipliedAlpha = 1;
                // The first frame is drawn opaque; later ones blend over it.
                if (state.subIndex == 0) picture.transparentColor = -1;
                return Finish(path, extension, depth, false, picture, bitmap);
            }
            // WIC would make the same frame at the same size.
            if (frameTooLarge) {
                tooLarge = true;
                return unsupported();
            }
        }
    }

    // A still PNG past the pixel limit, known by its header.
    bool hugePng = false;
    if (IsExtension(extension, ".png")) {
        bool animated = false;
        if (ReadFileBuffer(path, state)) ScanPngFile(state, picture, depth, animated);
        picture.backgroundColor = 0;
        picture.premultipliedAlpha = 0;
        if (animated) {
            bool frameTooLarge = false;
            if (HBITMAP bitmap = BuildPngFrame(state, picture, frameTooLarge)) {
                picture.premultipliedAlpha = 1;
                return Finish(path, extension, depth, false, picture, bitmap);
            }
            if (frameTooLarge) {
                tooLarge = true;
                return unsupported();
            }
        }
        uint32_t width = 0, height = 0;
        hugePng = !animated && state.fileBuffer && PngHeaderPastPixelLimit(state, width, height);
        // Some decoders decode the whole picture as soon as they are made:
        // a picture that is not to be shown reduced, or that the
        // read-ahead's budget refuses, is refused before that.
        if (hugePng && !settings.ShowHugeReduced) {
            tooLarge = true;
            return unsupported();
        }
        if (hugePng && !FitsDecodedBytesLimit(width, height)) return unsupported();
    }

    if (IsExtension(extension, ".webp")) {
        bool frameTooLarge = false;
        if (HBITMAP bitmap = DecodeWebpFrame(path, state, picture, frameTooLarge)) {
            picture.bitsPerPixel = picture.premultipliedAlpha ? 32 : 24;
            // Animated files (disposal code 8 and above) are converted frame by frame once composed.
            if (picture.disposal < 8) {
                bitmap = ApplyPictureLook(path, state, settings, window, bitmap, LookPixels::Premultiplied, picture);
                if (!bitmap) return lostToTheTurn();
            }
            return Finish(path, extension, depth, false, picture, bitmap);
        }
        if (frameTooLarge) {
            tooLarge = true;
            return unsupported();
        }
    }

    if (IsExtension(extension, ".ico") || IsExtension(extension, ".icon")) {
        if (HBITMAP bitmap = DecodeIconImage(path, state, picture, depth)) {
            PremultiplyAlpha(bitmap);
            picture.premultipliedAlpha = 1;
            return Finish(path, extension, depth, false, picture, bitmap);
        }
    }

    if (IsExtension(extension, ".zip") && settings.SearchInArchive) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        if (HBITMAP bitmap =
                DecodeZipMember(path, state, settings, plugins, window, direction, DecodeArchiveMember, picture)) {
            // The member's own decode has told its size and the depth of its
            // format; the archive's name has no rule of its own to add.
            ShowArrowCursor();
            return bitmap;
        }
        afterArchive();
    }

    if (!IsAdmittedByWic(extension, settings.WICExt)) return unsupported();

    // A file already read whole (a still GIF or PNG) is not read again.
    bool opaque = false;
    WicReduction reduction = {};
    reduction.refuse = !settings.ShowHugeReduced;
    HBITMAP bitmap = state.fileBuffer ? DecodeWicMemory(state.fileBuffer, state.fileLength, &opaque, &reduction)
                                      : DecodeWicFile(path, &opaque, &reduction);
    if (!bitmap) {
        // A picture past the limit that could not be had even reduced.
        tooLarge = tooLarge || reduction.tooLarge || hugePng;
        return unsupported();
    }
    if (reduction.fileWidth) bitmap = LookReduced(path, state, settings, window, bitmap, reduction, picture);
    else bitmap = ApplyPictureLook(path, state, settings, window, bitmap, LookPixels::Straight, picture);
    if (!bitmap) return lostToTheTurn();
    // A picture that is opaque everywhere is drawn without blending, with the
    // halftone stretch; blending would point-sample when shrinking. A source
    // without alpha (a JPEG) needs no scan of its pixels, which would cost a
    // good part of a step for a large photograph.
    if (!opaque) PremultiplyAlpha(bitmap, &opaque);
    picture.premultipliedAlpha = opaque ? 0 : 1;
    return Finish(path, extension, depth, false, picture, bitmap);
}
