// Colour transforms through mscms.dll; see colour_transform.h. The DLL is a
// part of every Windows since 95, but is loaded by name at first use from the
// system folder, so that the output folder's imports stay the ones a clean
// system has and a picture without a profile never loads it.
#include "viewer/look/colour_transform.h"

#include "viewer/core/float_state.h"
#include "viewer/look/colour_lattice.h"

#include <icm.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

#include "viewer/formats/icc_rules.h"
#include "viewer/formats/picture_tags.h"

namespace {

struct Mscms {
    decltype(&OpenColorProfileW) openProfile = nullptr;
    decltype(&CloseColorProfile) closeProfile = nullptr;
    decltype(&CreateMultiProfileTransform) createTransform = nullptr;
    decltype(&DeleteColorTransform) deleteTransform = nullptr;
    decltype(&TranslateBitmapBits) translate = nullptr;
    decltype(&GetStandardColorSpaceProfileW) standardProfile = nullptr;
};

template <typename T>
void Find(HMODULE module, const char* name, T& function) {
    function = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Both the window thread and the read-ahead thread may be first to ask; the
// one-time initialisation makes the second wait until every pointer is set.
BOOL CALLBACK LoadMscms(INIT_ONCE*, void* parameter, void**) {
    Mscms& api = *static_cast<Mscms*>(parameter);
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 11 >= MAX_PATH) return TRUE;
    lstrcatW(path, L"\\mscms.dll");
    // Kept for the life of the process, as its transforms may be.
    HMODULE module = LoadLibraryW(path);
    if (!module) return TRUE;
    Find(module, "OpenColorProfileW", api.openProfile);
    Find(module, "CloseColorProfile", api.closeProfile);
    Find(module, "CreateMultiProfileTransform", api.createTransform);
    Find(module, "DeleteColorTransform", api.deleteTransform);
    Find(module, "TranslateBitmapBits", api.translate);
    Find(module, "GetStandardColorSpaceProfileW", api.standardProfile);
    if (!api.openProfile || !api.closeProfile || !api.createTransform || !api.deleteTransform || !api.translate) {
        api.openProfile = nullptr;
    }
    return TRUE;
}

const Mscms& System() {
    static Mscms api;
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&once, LoadMscms, &api, nullptr);
    return api;
}

// An open profile, closed once.
class OpenProfile {
public:
    OpenProfile(const Mscms& api, DWORD type, const void* data, DWORD size) : api_(api) {
        PROFILE profile = {type, const_cast<void*>(data), size};
        handle_ = api.openProfile(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
    }
    ~OpenProfile() {
        if (handle_) api_.closeProfile(handle_);
    }
    OpenProfile(const OpenProfile&) = delete;
    OpenProfile& operator=(const OpenProfile&) = delete;
    HPROFILE Get() const { return handle_; }

private:
    const Mscms& api_;
    HPROFILE handle_ = nullptr;
};

DWORD PathBytes(const wchar_t* path) { return static_cast<DWORD>((lstrlenW(path) + 1) * sizeof(wchar_t)); }


// LCS_sRGB, which the header spells as a multi-character constant.
constexpr DWORD kSrgbSpace = 0x73524742;

}  // namespace

ColourTransform::~ColourTransform() { Reset(); }

void ColourTransform::Reset(HANDLE handle) {
    if (handle_ && System().deleteTransform) System().deleteTransform(handle_);
    handle_ = handle;
    SetLattice(nullptr);
}

void ColourTransform::SetLattice(uint64_t* lattice) {
    delete[] lattice_;
    lattice_ = lattice;
}

namespace {
thread_local const wchar_t* t_displayProfile = nullptr;
}  // namespace

void SetThreadDisplayProfile(const wchar_t* path) { t_displayProfile = path; }

bool DisplayProfilePath(HWND window, wchar_t (&path)[MAX_PATH]) {
    path[0] = L'\0';
    if (t_displayProfile) {
        lstrcpynW(path, t_displayProfile, MAX_PATH);
        return path[0] != L'\0';
    }
    HDC dc = GetDC(window);
    if (!dc) return false;
    DWORD size = MAX_PATH;
    const BOOL got = GetICMProfileW(dc, &size, path);
    ReleaseDC(window, dc);
    if (!got) path[0] = L'\0';
    return path[0] != L'\0';
}

bool DisplayIsSrgb(HWND window) {
    wchar_t path[MAX_PATH];
    if (!DisplayProfilePath(window, path)) return true;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    bool srgb = true;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= kMaxProfileBytes) {
        const DWORD length = static_cast<DWORD>(size.QuadPart);
        std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[length]);
        DWORD read = 0;
        if (bytes && ReadFile(file, bytes.get(), length, &read, nullptr) && read == length) {
            srgb = IsSrgbProfile(bytes.get(), length);
        }
    }
    CloseHandle(file);
    return srgb;
}

bool MakeColourTransform(const uint8_t* profile, size_t length, HWND window, ColourTransform& transform) {
    transform.Reset();
    const Mscms& api = System();
    if (!api.openProfile || !profile || length == 0 || length > 0x7FFFFFFF) return false;
    OpenProfile source(api, PROFILE_MEMBUFFER, profile, static_cast<DWORD>(length));
    if (!source.Get()) return false;

    wchar_t displayPath[MAX_PATH];
    HPROFILE target = nullptr;
    std::optional<OpenProfile> display, standard;
    if (DisplayProfilePath(window, displayPath)) {
        display.emplace(api, PROFILE_FILENAME, displayPath, PathBytes(displayPath));
        target = display->Get();
    }
    // A display without a profile (or with one that cannot be read) is
    // taken to be sRGB, as Windows itself takes it.
    wchar_t srgbPath[MAX_PATH];
    DWORD srgbSize = sizeof(srgbPath);
    if (!target && api.standardProfile && api.standardProfile(nullptr, kSrgbSpace, srgbPath, &srgbSize)) {
        standard.emplace(api, PROFILE_FILENAME, srgbPath, PathBytes(srgbPath));
        target = standard->Get();
    }
    if (target) {
        HPROFILE profiles[2] = {source.Get(), target};
        DWORD intents[1] = {INTENT_PERCEPTUAL};
        transform.Reset(api.createTransform(profiles, 2, intents, 1, BEST_MODE, INDEX_DONT_CARE));
    }
    if (!transform) return false;
    // An RGB profile's transform is sampled once on the lattice; a CMYK
    // one translates its picture directly. Without room for the lattice
    // the transform converts nothing.
    constexpr size_t kBytes = kLatticePoints * 4;
    std::unique_ptr<uint8_t[]> inputs(new (std::nothrow) uint8_t[kBytes]);
    std::unique_ptr<uint8_t[]> converted(new (std::nothrow) uint8_t[kBytes]);
    std::unique_ptr<uint64_t[]> lattice(new (std::nothrow) uint64_t[kLatticePoints]);
    if (!inputs || !converted || !lattice) return true;
    LatticeInputs(inputs.get());
    const DWORD side = kLatticeSide * kLatticeSide;
    if (api.translate(transform.Get(), inputs.get(), BM_xRGBQUADS, side, kLatticeSide, side * 4, converted.get(),
                      BM_xRGBQUADS, side * 4, nullptr, 0)) {
        SpreadLattice(converted.get(), lattice.get());
        transform.SetLattice(lattice.release());
    }
    return true;
}

namespace {

// The picture as one run of pixels, handed out a piece at a time to the
// threads that convert it, so that a thread that starts late or is slowed by
// another program leaves more of the work to the others instead of making
// them wait for its half.
struct Share {
    const uint64_t* lattice;
    uint8_t* pixels;
    size_t count;
    size_t piece;
    bool premultiplied;
    volatile LONG next;  // the next piece to take
};

DWORD WINAPI ConvertShare(void* parameter) {
    Share& share = *static_cast<Share*>(parameter);
    for (;;) {
        const size_t first = static_cast<size_t>(InterlockedIncrement(&share.next) - 1) * share.piece;
        if (first >= share.count) return 0;
        ApplyLattice(share.lattice, share.pixels + first * 4, std::min(share.piece, share.count - first),
                     share.premultiplied);
    }
}

DWORD WINAPI ConvertShareThread(void* parameter) {
    SetProgramFloatState();
    return ConvertShare(parameter);
}

// Below this many pixels a picture is converted on the calling thread alone.
constexpr size_t kPixelsPerThread = size_t{1} << 20;
constexpr size_t kMaxThreads = 8;
// A piece is 256 KB of pixels, or more where the pieces would not fit a LONG.
constexpr size_t kPiecePixels = size_t{1} << 16;

}  // namespace

bool TranslatePixels(const ColourTransform& transform, uint8_t* pixels, int32_t width, int32_t height,
                     bool premultiplied) {
    if (!transform.Lattice() || width <= 0 || height <= 0) return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    // A large photograph is converted by worker threads beside this one,
    // which only compute and are all joined before the call returns: the
    // window thread runs no message in between.
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    size_t threads = std::min<size_t>({kMaxThreads, system.dwNumberOfProcessors, count / kPixelsPerThread});
    if (threads < 1) threads = 1;
    const size_t piece = std::max(kPiecePixels, count / 0x40000000 + 1);
    Share share = {transform.Lattice(), pixels, count, piece, premultiplied, 0};
    HANDLE workers[kMaxThreads] = {};
    size_t started = 0;
    for (size_t k = 1; k < threads; ++k) {
        workers[started] = CreateThread(nullptr, 0, ConvertShareThread, &share, 0, nullptr);
        if (workers[started]) ++started;
    }
    ConvertShare(&share);
    if (started) WaitForMultipleObjects(static_cast<DWORD>(started), workers, TRUE, INFINITE);
    for (size_t k = 0; k < started; ++k) CloseHandle(workers[k]);
    return true;
}

bool TranslateCmykPixels(const ColourTransform& transform, const uint8_t* cmyk, int32_t width, int32_t height,
                         uint8_t* bgra) {
    const Mscms& api = System();
    if (!transform || !api.translate || width <= 0 || height <= 0) return false;
    const DWORD stride = static_cast<DWORD>(width) * 4;
    // The formats name their channels from the top byte of a 32-bit value
    // down: bytes C, M, Y, K are "KYMC", as bytes B, G, R, x are "xRGB".
    if (!api.translate(transform.Get(), const_cast<uint8_t*>(cmyk), BM_KYMCQUADS, static_cast<DWORD>(width),
                       static_cast<DWORD>(height), stride, bgra, BM_xRGBQUADS, stride, nullptr, 0)) {
        return false;
    }
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) bgra[4 * i + 3] = 255;
    return true;
}
