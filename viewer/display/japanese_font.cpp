// The Japanese face; see japanese_font.h.
#include "viewer/display/japanese_font.h"

#include <string>
#include <vector>

namespace {

// In the order a Japanese Windows has them, then the common free faces.
const wchar_t* const kFaces[] = {L"MS UI Gothic", L"Yu Gothic UI", L"Meiryo UI",    L"Meiryo",
                                 L"MS PGothic",   L"MS Gothic",    L"IPAGothic",    L"IPAPGothic",
                                 L"TakaoPGothic", L"VL PGothic",   L"Noto Sans CJK JP"};

HFONT MakeFont(int32_t height, const wchar_t* face) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// Whether the face that `font` maps to has every character of `text`.
bool HoldsText(HDC dc, HFONT font, const wchar_t* text, int length) {
    if (length <= 0) return true;
    HGDIOBJ previous = SelectObject(dc, font);
    std::vector<WORD> glyphs(static_cast<size_t>(length));
    const DWORD got = GetGlyphIndicesW(dc, text, length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, previous);
    if (got == GDI_ERROR) return false;
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF) return false;
    }
    return true;
}

int CALLBACK NoteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    // Vertical faces ("@...") draw their characters turned.
    if (font->lfFaceName[0] != L'@') reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
    return 1;
}

}  // namespace

HFONT CreateJapaneseFont(HDC dc, int32_t height, const wchar_t* text) {
    const int length = text ? lstrlenW(text) : 0;
    for (const wchar_t* face : kFaces) {
        HFONT font = MakeFont(height, face);
        if (font && HoldsText(dc, font, text, length)) return font;
        if (font) DeleteObject(font);
    }
    // None of the usual faces: any installed face of the Japanese character
    // set that holds the text.
    std::vector<std::wstring> faces;
    LOGFONTW wanted = {};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExW(dc, &wanted, NoteFace, reinterpret_cast<LPARAM>(&faces), 0);
    for (const std::wstring& face : faces) {
        HFONT font = MakeFont(height, face.c_str());
        if (font && HoldsText(dc, font, text, length)) return font;
        if (font) DeleteObject(font);
    }
    return MakeFont(height, kFaces[0]);
}

bool FontHoldsText(HDC dc, HFONT font, const wchar_t* text) {
    return HoldsText(dc, font, text, text ? lstrlenW(text) : 0);
}
