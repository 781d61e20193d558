// Interpretation of glypho's settings values; see settings_values.h.
#include "plugins/glypho/settings_values.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace glypho {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Field texts are cut to the length of the ANSI read buffer.
constexpr size_t kFieldChars = 260;

int32_t ClampToInt32(long value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

bool EqualsNoCase(const char* a, const char* b) {
    for (; *a != 0 && *b != 0; ++a, ++b) {
        if (Lower(*a) != Lower(*b)) return false;
    }
    return *a == *b;
}

bool IsSwitchOn(const char* text) {
    return EqualsNoCase(text, "true") || EqualsNoCase(text, "on") || EqualsNoCase(text, "1");
}

bool IsPreviewCollectionSwitchOn(const char* text) {
    return EqualsNoCase(text, "ON");
}

int32_t ClampPointSize(int32_t points) {
    return points > kMaxPointSize ? kMaxPointSize : (points < -kMaxPointSize ? -kMaxPointSize : points);
}

int32_t ClampMargin(int32_t margin) {
    return margin > kMaxMargin ? kMaxMargin : (margin < -kMaxMargin ? -kMaxMargin : margin);
}

void ParsePointList(const char* text, int32_t slots[kLadderSlots]) {
    for (int i = 0; i < kLadderSlots; ++i) slots[i] = 0;
    int filled = 0;
    const char* p = text;
    while (*p != 0 && filled < kLadderSlots) {
        const char* comma = std::strchr(p, ',');
        size_t length = comma ? static_cast<size_t>(comma - p) : std::strlen(p);
        if (length > 0) {
            char field[kFieldChars];
            size_t n = length < kFieldChars - 1 ? length : kFieldChars - 1;
            std::memcpy(field, p, n);
            field[n] = 0;
            slots[filled++] = ClampPointSize(ClampToInt32(std::strtol(field, nullptr, 0)));
        }
        if (!comma) break;
        p = comma + 1;
    }
}

ColourWord ParseColourWord(const char* text) {
    if (EqualsNoCase(text, "BLACK")) return ColourWord::kBlack;
    if (EqualsNoCase(text, "DARK_GRAY")) return ColourWord::kDarkGray;
    if (EqualsNoCase(text, "GRAY")) return ColourWord::kGray;
    if (EqualsNoCase(text, "LIGHT_GRAY")) return ColourWord::kLightGray;
    if (EqualsNoCase(text, "WHITE")) return ColourWord::kWhite;
    return ColourWord::kOther;
}

uint32_t TextColourOf(ColourWord word) {
    switch (word) {
        case ColourWord::kBlack: return 0x000000;
        case ColourWord::kDarkGray: return 0x404040;
        case ColourWord::kGray: return 0x808080;
        case ColourWord::kLightGray: return 0xC0C0C0;
        case ColourWord::kWhite:
        case ColourWord::kOther: break;
    }
    return 0xFFFFFF;
}

NameFace ParseNameFace(const char* text) {
    if (EqualsNoCase(text, "ON")) return NameFace::kLoaded;
    if (EqualsNoCase(text, "AUTO")) return NameFace::kAuto;
    return NameFace::kSystem;
}

}  // namespace glypho
