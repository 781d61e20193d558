// The specimen and the preview: load the font privately, choose the sample by the
// font's script, draw into a DIB section and copy its rows into the output block.
// Every GDI object made here is released on every path before returning.
#include "plugins/glypho/specimen.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugins/glypho/font_file.h"
#include "plugins/glypho/glyphs.h"
#include "plugins/glypho/handles.h"

namespace glypho {

namespace {

constexpr int kFaceChars = 260;
constexpr size_t kSpecimenTextUnits = 4096;
constexpr size_t kPreviewTextUnits = 64;
constexpr int kStatusRefused = 2;
constexpr int kStatusNoMemory = 4;
constexpr int kStatusNoBitmap = 5;
// Text drawn with DrawTextW shows '&' as it is, as TextOutW does for the names.
constexpr UINT kTextFormat = DT_NOPREFIX;

wchar_t* Wide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }

// The two output blocks, locked while the picture is made.
class OutputBlocks {
public:
    OutputBlocks() = default;
    ~OutputBlocks() {
        if (header_) LocalUnlock(info_);
        if (pixels_) LocalUnlock(bits_);
        if (info_) LocalFree(info_);
        if (bits_) LocalFree(bits_);
    }
    OutputBlocks(const OutputBlocks&) = delete;
    OutputBlocks& operator=(const OutputBlocks&) = delete;

    // 0, or the status of the failed step.
    int Make(int32_t width, int32_t height) {
        // Sizes are checked before they are multiplied.
        if (width < 1 || height < 1) return kStatusNoBitmap;
        uint64_t stride = (uint64_t{static_cast<uint32_t>(width)} * 3 + 3) & ~uint64_t{3};
        uint64_t total = stride * static_cast<uint32_t>(height);
        if (total > 0x7FFFFFFF) return kStatusNoBitmap;
        pixelBytes_ = static_cast<size_t>(total);
        info_ = LocalAlloc(LMEM_MOVEABLE, sizeof(BITMAPINFOHEADER));
        bits_ = LocalAlloc(LMEM_MOVEABLE, pixelBytes_);
        if (!info_ || !bits_) return kStatusNoMemory;
        header_ = static_cast<BITMAPINFOHEADER*>(LocalLock(info_));
        pixels_ = LocalLock(bits_);
        if (!header_ || !pixels_) return kStatusNoBitmap;
        std::memset(header_, 0, sizeof(*header_));
        header_->biSize = sizeof(BITMAPINFOHEADER);
        header_->biWidth = width;
        header_->biHeight = height;
        header_->biPlanes = 1;
        header_->biBitCount = 24;
        header_->biCompression = BI_RGB;
        return 0;
    }

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(header_); }
    void* pixels() const { return pixels_; }
    size_t pixelBytes() const { return pixelBytes_; }

    // Unlocks both blocks and gives them to the caller.
    void Release(HLOCAL* info, HLOCAL* bits) {
        LocalUnlock(info_);
        LocalUnlock(bits_);
        header_ = nullptr;
        pixels_ = nullptr;
        *info = info_;
        *bits = bits_;
        info_ = nullptr;
        bits_ = nullptr;
    }

private:
    HLOCAL info_ = nullptr;
    HLOCAL bits_ = nullptr;
    BITMAPINFOHEADER* header_ = nullptr;
    void* pixels_ = nullptr;
    size_t pixelBytes_ = 0;
};

// The face of the font selected in the window's device context.
void SystemFace(HDC windowDc, wchar_t* face) {
    face[0] = 0;
    if (windowDc) GetTextFaceW(windowDc, kFaceChars, face);
}

// True when the font's script probe reports the Shift-JIS character set. GDI
// gives that character set to a font that covers code page 932 on a Japanese
// system; elsewhere, and for the Chinese fonts that also cover the code page,
// the sample is the English one.
bool IsJapaneseFont(HDC dc, const wchar_t* familyFace) {
    GdiObject probe(MakeFont(familyFace, 10, DEFAULT_CHARSET, DRAFT_QUALITY));
    Selection use(dc, probe.get());
    TEXTMETRICW metrics = {};
    return GetTextMetricsW(dc, &metrics) && metrics.tmCharSet == SHIFTJIS_CHARSET;
}

// Copies `text` into a zero-filled buffer of `units`, cut to units - 1 characters.
std::vector<wchar_t> TextBuffer(const std::wstring& text, size_t units) {
    std::vector<wchar_t> buffer(units, 0);
    size_t n = text.size() < units - 1 ? text.size() : units - 1;
    std::memcpy(buffer.data(), text.data(), n * sizeof(wchar_t));
    return buffer;
}

// The part shared by both pictures after the drawing: rows copied out, blocks handed over.
void FinishPicture(OutputBlocks& blocks, const void* sectionBits, HLOCAL* info, HLOCAL* bits) {
    GdiFlush();
    std::memcpy(blocks.pixels(), sectionBits, blocks.pixelBytes());
    blocks.Release(info, bits);
}

}  // namespace

void DrawSpecimen(HDC dc, const SpecimenSettings& s, const wchar_t* systemFace,
                  const wchar_t* familyFace, const wchar_t* fullName, wchar_t* sample,
                  const wchar_t* version, const wchar_t* copyright) {
    const int M = s.margin;
    const int W = s.width;
    const int H = s.height;
    GdiObject resting(MakeFont(systemFace, 10, DEFAULT_CHARSET, 0));
    Selection keepResting(dc, resting.get());

    bool installed = s.underlineInstalled && IsFontInstalled(dc, fullName);
    bool drawable = CanDrawName(dc, familyFace, fullName);

    // Name line, and the underline when a font of that name is installed.
    NameFace where = ParseNameFace(s.nameFace);
    bool inFont = where == NameFace::kLoaded || (where == NameFace::kAuto && drawable);
    int nameHeight = PointsToHeight(dc, s.fontNamePt);
    SIZE name = {0, 0};
    TEXTMETRICW tmName = {};
    {
        GdiObject font(inFont ? MakeFont(familyFace, nameHeight, DEFAULT_CHARSET, DRAFT_QUALITY)
                              : MakeFont(systemFace, nameHeight, ANSI_CHARSET, 0));
        Selection use(dc, font.get());
        int length = lstrlenW(fullName);
        GetTextExtentPoint32W(dc, fullName, length, &name);
        TextOutW(dc, M, M, fullName, length);
        GetTextMetricsW(dc, &tmName);
        if (installed) {
            GdiObject pen(CreatePen(PS_SOLID, s.fontNamePt / 16, s.textColour));
            Selection usePen(dc, pen.get());
            MoveToEx(dc, M, M + name.cy, nullptr);
            LineTo(dc, M + name.cx, M + name.cy);
        }
    }

    // Version, on the name's baseline.
    if (s.versionPt != 0) {
        GdiObject font(MakeFont(systemFace, PointsToHeight(dc, s.versionPt), ANSI_CHARSET, PROOF_QUALITY));
        Selection use(dc, font.get());
        TEXTMETRICW tmVer = {};
        GetTextMetricsW(dc, &tmVer);
        TextOutW(dc, name.cx + 2 * M, M + tmName.tmAscent - tmVer.tmAscent, version, lstrlenW(version));
    }

    int y = tmName.tmHeight + 2 * (M + tmName.tmExternalLeading);

    if (s.copyrightPt != 0) {
        GdiObject font(MakeFont(systemFace, PointsToHeight(dc, s.copyrightPt), DEFAULT_CHARSET, PROOF_QUALITY));
        Selection use(dc, font.get());
        TextOutW(dc, M, y, copyright, lstrlenW(copyright));
        RECT measured = {M, y, W, H};
        DrawTextW(dc, copyright, -1, &measured, DT_CALCRECT | kTextFormat);
        y += M + (measured.bottom - measured.top);
    }

    if (s.alphabetPt != 0 && !s.alphabet.empty()) {
        std::vector<wchar_t> alphabet = TextBuffer(s.alphabet, kSpecimenTextUnits);
        if (!s.fontLink) BlankMissingGlyphs(dc, familyFace, alphabet.data());
        GdiObject font(MakeFont(familyFace, PointsToHeight(dc, s.alphabetPt), DEFAULT_CHARSET, PROOF_QUALITY));
        Selection use(dc, font.get());
        RECT area = {M, y, W, H};
        DrawTextW(dc, alphabet.data(), -1, &area, kTextFormat);
        RECT measured = area;
        DrawTextW(dc, alphabet.data(), -1, &measured, DT_CALCRECT | kTextFormat);
        y += M + (measured.bottom - measured.top);
    }

    if (!s.fontLink) BlankMissingGlyphs(dc, familyFace, sample);
    int sampleLength = lstrlenW(sample);

    for (int i = 0; i < kLadderSlots && s.ladder[i] != 0; ++i) {
        int points = s.ladder[i];
        char label[32] = {0};
        int lx = -M;
        int ly = 0;
        GdiObject labelFont;
        if (s.labelPt != 0) {
            std::snprintf(label, sizeof(label), "%dpt", points);
            labelFont.reset(MakeFont(systemFace, PointsToHeight(dc, s.labelPt), ANSI_CHARSET, PROOF_QUALITY));
            Selection use(dc, labelFont.get());
            SIZE extent = {0, 0};
            GetTextExtentPoint32A(dc, label, lstrlenA(label), &extent);
            lx = extent.cx;
            ly = extent.cy;
        }
        int lineH = 0;
        int centreH = 0;
        {
            GdiObject font(MakeFont(familyFace, PointsToHeight(dc, points), DEFAULT_CHARSET, PROOF_QUALITY));
            Selection use(dc, font.get());
            RECT area = {lx + 2 * M, y, W, 2 * H};
            if (s.textWrap) {
                lineH = DrawTextW(dc, sample, -1, &area, DT_WORDBREAK | kTextFormat);
                SIZE whole = {0, 0};
                GetTextExtentPoint32W(dc, sample, sampleLength, &whole);
                centreH = whole.cy;
            } else {
                DrawTextW(dc, sample, -1, &area, kTextFormat);
                RECT measured = area;
                DrawTextW(dc, sample, -1, &measured, DT_CALCRECT | kTextFormat);
                lineH = centreH = measured.bottom - measured.top;
            }
        }
        if (s.labelPt != 0) {
            Selection use(dc, labelFont.get());
            int centred = y + (centreH - ly) / 2;
            TextOutA(dc, M, centred > y ? centred : y, label, lstrlenA(label));
        }
        y += M + (lineH > ly ? lineH : ly);
        if (y >= H) break;
    }
}

int RenderSpecimen(uint8_t* image, size_t size, HLOCAL* info, HLOCAL* bits) {
    *info = nullptr;
    *bits = nullptr;
    HWND active = GetActiveWindow();
    WindowDc windowDc(active);
    MemoryDc memoryDc(windowDc.get());
    SpecimenSettings settings = ReadSpecimenSettings();
    wchar_t systemFace[kFaceChars];
    SystemFace(windowDc.get(), systemFace);

    char16_t fullName[kNameUnits] = {0};
    int status = ReadFontName(image, size, kNameFullName, settings.collectionsOn, false, fullName);
    if (status != 0) return status;
    char16_t familyFace[kNameUnits] = {0};
    status = ReadFontName(image, size, kNameFamily, settings.collectionsOn, true, familyFace);
    if (status != 0) return status;
    FaceNameOfAlteredFamily(familyFace);

    if (size > 0xFFFFFFFF) return kStatusRefused;
    PrivateFont loaded(image, static_cast<DWORD>(size));
    if (!loaded.loaded()) return kStatusRefused;
    HDC dc = memoryDc.get();

    std::vector<wchar_t> sample = TextBuffer(
        IsJapaneseFont(dc, Wide(familyFace)) ? settings.sampleJpn : settings.sampleEng, kSpecimenTextUnits);

    char16_t version[kNameUnits] = {0};
    char16_t copyright[kNameUnits] = {0};
    if (settings.versionPt != 0 || settings.copyVersion) {
        ReadFontName(image, size, kNameVersion, settings.collectionsOn, false, version);
    }
    if (settings.copyrightPt != 0 || settings.copyCopyright) {
        ReadFontName(image, size, kNameCopyright, settings.collectionsOn, false, copyright);
    }

    OutputBlocks blocks;
    status = blocks.Make(settings.width, settings.height);
    if (status != 0) return status;
    void* sectionBits = nullptr;
    GdiObject section(CreateDIBSection(dc, blocks.info(), DIB_RGB_COLORS, &sectionBits, nullptr, 0));
    if (!section.get() || !sectionBits) return kStatusNoBitmap;
    {
        Selection useSection(dc, section.get());
        RECT all = {0, 0, settings.width, settings.height};
        FillRect(dc, &all, settings.background);
        SetTextColor(dc, settings.textColour);
        SetBkMode(dc, TRANSPARENT);
        DrawSpecimen(dc, settings, systemFace, Wide(familyFace), Wide(fullName), sample.data(),
                     Wide(version), Wide(copyright));
    }
    FinishPicture(blocks, sectionBits, info, bits);
    CopyNamesToClipboard(active, Wide(fullName), Wide(version), Wide(copyright), settings);
    return 0;
}

int RenderPreview(uint8_t* image, size_t size, HLOCAL* info, HLOCAL* bits) {
    *info = nullptr;
    *bits = nullptr;
    HWND active = GetActiveWindow();
    WindowDc windowDc(active);
    MemoryDc memoryDc(windowDc.get());
    PreviewSettings settings = ReadPreviewSettings();
    wchar_t systemFace[kFaceChars];
    SystemFace(windowDc.get(), systemFace);

    char16_t familyFace[kNameUnits] = {0};
    int status = ReadFontName(image, size, kNameFamily, settings.collectionsOn, true, familyFace);
    if (status != 0) return status;
    FaceNameOfAlteredFamily(familyFace);

    if (size > 0xFFFFFFFF) return kStatusRefused;
    PrivateFont loaded(image, static_cast<DWORD>(size));
    if (!loaded.loaded()) return kStatusRefused;
    HDC dc = memoryDc.get();
    GdiObject resting(MakeFont(systemFace, 10, DEFAULT_CHARSET, 0));
    Selection keepResting(dc, resting.get());

    std::vector<wchar_t> text = TextBuffer(
        IsJapaneseFont(dc, Wide(familyFace)) ? settings.sampleJpn : settings.sampleEng, kPreviewTextUnits);

    OutputBlocks blocks;
    status = blocks.Make(settings.width, settings.height);
    if (status != 0) return status;
    void* sectionBits = nullptr;
    GdiObject section(CreateDIBSection(dc, blocks.info(), DIB_RGB_COLORS, &sectionBits, nullptr, 0));
    if (!section.get() || !sectionBits) return kStatusNoBitmap;
    {
        Selection useSection(dc, section.get());
        const int W = settings.width;
        const int H = settings.height;
        RECT all = {0, 0, W, H};
        FillRect(dc, &all, settings.background);
        SetTextColor(dc, settings.textColour);
        SetBkMode(dc, TRANSPARENT);
        if (!settings.fontLink) BlankMissingGlyphs(dc, Wide(familyFace), text.data());
        GdiObject font(MakeFont(Wide(familyFace), PointsToHeight(dc, settings.fontPt), DEFAULT_CHARSET,
                                PROOF_QUALITY));
        Selection use(dc, font.get());
        RECT measured = {0, 0, 0, 0};
        DrawTextW(dc, text.data(), -1, &measured, DT_CALCRECT | kTextFormat);
        int x0 = (W - measured.right) / 2;
        int y0 = (H - measured.bottom) / 2;
        RECT area = {x0, y0, W - x0, H - y0};
        DrawTextW(dc, text.data(), -1, &area, DT_WORDBREAK | kTextFormat);
    }
    FinishPicture(blocks, sectionBits, info, bits);
    return 0;
}

}  // namespace glypho
