// Settings value rules. Comparisons ignore ASCII case only, like the profile
// functions' own key matching; words in other scripts never match.
#include "viewer/core/setting_values.h"

#include <cwchar>

#include "viewer/core/ascii_case.h"

bool IsOnText(const wchar_t* text) {
    if (!text) return false;
    return EqualIgnoringAsciiCase(text, L"true") || EqualIgnoringAsciiCase(text, L"on") ||
           EqualIgnoringAsciiCase(text, L"1");
}

int32_t ParseColorName(const wchar_t* word) {
    if (!word) return -1;
    if (EqualIgnoringAsciiCase(word, L"BLACK")) return 0x000000;
    if (EqualIgnoringAsciiCase(word, L"DARK_GRAY")) return 0x404040;
    if (EqualIgnoringAsciiCase(word, L"GRAY")) return 0x808080;
    if (EqualIgnoringAsciiCase(word, L"LIGHT_GRAY")) return 0xC0C0C0;
    if (EqualIgnoringAsciiCase(word, L"WHITE")) return 0xFFFFFF;
    return -1;
}

int32_t ParseFontColor(const wchar_t* word) {
    int32_t color = ParseColorName(word);
    return color == -1 ? 0xFFFFFF : color;
}

const wchar_t* FlagValueText(int32_t flag) { return flag == 1 ? L" ON" : L" OFF"; }

void FormatSignedValue(int32_t value, wchar_t (&text)[16]) { swprintf(text, 16, L" %d", static_cast<int>(value)); }

// A negative position is written as its 32-bit two's-complement value; the
// profile reader gives the same 32-bit pattern back.
void FormatUnsignedValue(int32_t value, wchar_t (&text)[16]) {
    swprintf(text, 16, L" %u", static_cast<unsigned>(static_cast<uint32_t>(value)));
}

size_t FitExtensionList(char* text, size_t length, size_t capacity, bool (*lead)(unsigned char)) {
    if (capacity == 0) return 0;
    if (length < capacity) {
        text[length] = '\0';
        return length;
    }
    // Longest prefix of whole characters that leaves room for the terminator.
    size_t cut = 0;
    for (size_t i = 0; i < length;) {
        size_t step = (lead && lead(static_cast<unsigned char>(text[i])) && i + 1 < length) ? 2 : 1;
        if (i + step > capacity - 1) break;
        i += step;
        cut = i;
    }
    // Then back to the start of the extension that was cut through.
    // A text without any earlier '.' keeps the character cut: an empty list would
    // admit every extension.
    size_t keep = cut;
    if (cut < length && text[cut] != '.') {
        size_t dot = cut;
        while (dot > 0 && text[dot - 1] != '.') --dot;
        if (dot > 1) keep = dot - 1;  // before the '.' of the extension that was cut
    }
    text[keep] = '\0';
    return keep;
}
