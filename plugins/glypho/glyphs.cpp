// Glyph tests, the installed-font test and the clipboard step of the specimen.
#include "plugins/glypho/glyphs.h"

#include <string>
#include <vector>

#include "plugins/glypho/handles.h"

namespace glypho {

namespace {

constexpr int kTestFontHeight = 10;
constexpr WORD kNoGlyph = 0xFFFF;

// Glyph indices of `text` in the 10-unit test font; empty when GDI refuses.
std::vector<WORD> GlyphIndices(HDC dc, const wchar_t* familyFace, const wchar_t* text, int length) {
    std::vector<WORD> indices(length > 0 ? length : 0);
    if (length <= 0) return indices;
    GdiObject font(MakeFont(familyFace, kTestFontHeight, DEFAULT_CHARSET, 0));
    Selection use(dc, font.get());
    if (GetGlyphIndicesW(dc, text, length, indices.data(), GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        indices.clear();
    }
    return indices;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == 0x3000;
}

// True when the glyph of `c` in the selected font has at least one set pixel.
bool HasVisibleInk(HDC dc, wchar_t c) {
    MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics;
    DWORD size = GetGlyphOutlineW(dc, c, GGO_BITMAP, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR || size == 0) return false;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
    if (!block) return false;
    BYTE* bits = static_cast<BYTE*>(block);
    bool visible = false;
    if (GetGlyphOutlineW(dc, c, GGO_BITMAP, &metrics, size, bits, &identity) != GDI_ERROR) {
        for (DWORD i = 0; i < size && !visible; ++i) visible = bits[i] != 0;
    }
    GlobalFree(block);
    return visible;
}

int CALLBACK StopAtFirstFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM) {
    return 0;
}

}  // namespace

HFONT MakeFont(const wchar_t* face, int height, BYTE charset, BYTE quality) {
    return CreateFontW(height, 0, 0, 0, 0, FALSE, FALSE, FALSE, charset, 0, 0, quality, 0, face);
}

int PointsToHeight(HDC dc, int points) {
    return -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
}

void BlankMissingGlyphs(HDC dc, const wchar_t* familyFace, wchar_t* text) {
    int length = lstrlenW(text);
    std::vector<WORD> indices = GlyphIndices(dc, familyFace, text, length);
    for (size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] == kNoGlyph && text[i] != L'\n') text[i] = L' ';
    }
}

bool CanDrawName(HDC dc, const wchar_t* familyFace, const wchar_t* fullName) {
    int length = lstrlenW(fullName);
    std::vector<WORD> indices = GlyphIndices(dc, familyFace, fullName, length);
    if (static_cast<int>(indices.size()) != length) return false;
    for (int i = 0; i < length; ++i) {
        if (!IsBlank(fullName[i]) && indices[i] == kNoGlyph) return false;
    }
    GdiObject font(MakeFont(familyFace, kTestFontHeight, DEFAULT_CHARSET, 0));
    Selection use(dc, font.get());
    for (int i = 0; i < length; ++i) {
        if (!IsBlank(fullName[i]) && !HasVisibleInk(dc, fullName[i])) return false;
    }
    return true;
}

bool IsFontInstalled(HDC dc, const wchar_t* fullName) {
    // An empty face name would enumerate every family on the system.
    if (fullName[0] == 0) return false;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, fullName, LF_FACESIZE);
    return EnumFontFamiliesExW(dc, &query, StopAtFirstFont, 0, 0) == 0;
}

void CopyNamesToClipboard(HWND owner, const wchar_t* fullName, const wchar_t* version,
                          const wchar_t* copyright, const SpecimenSettings& settings) {
    if (!settings.copyFontName && !settings.copyVersion && !settings.copyCopyright) return;
    // Without a window to own it the clipboard would be emptied and then
    // refuse the names: the user's clipboard is left as it is instead.
    if (!owner) return;
    std::wstring text;
    if (settings.copyFontName) text = fullName;
    if (settings.copyVersion) {
        if (!text.empty()) text += L' ';
        text += version;
    }
    if (settings.copyCopyright) {
        if (!text.empty()) text += L'\n';
        text += copyright;
    }
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, bytes);
    if (!block) return;
    void* locked = GlobalLock(block);
    if (!locked) {
        GlobalFree(block);
        return;
    }
    memcpy(locked, text.c_str(), bytes);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    // The clipboard owns the block only when it took it.
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    CloseClipboard();
}

}  // namespace glypho
