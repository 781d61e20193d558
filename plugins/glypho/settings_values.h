// How glypho reads the values of its settings file: switches, point-size lists,
// texts with "\n" line breaks, colour words and the name-face choice. Pure text
// work, kept apart from the profile calls so that the native build can test it.
#pragma once

#include <cstdint>

namespace glypho {

// Slots of the point-size ladder.
constexpr int kLadderSlots = 20;

// A switch is on when its text is "true", "on" or "1", without regard to case.
bool IsSwitchOn(const char* text);

// The preview's collection switch is on only for "ON", without regard to case.
bool IsPreviewCollectionSwitchOn(const char* text);

// Bounds of the sizes that the layout adds up: point sizes and the margin
// beyond these draw nothing useful, and within them no sum of a page's lines
// can overflow 32 bits.
constexpr int32_t kMaxPointSize = 2000;
constexpr int32_t kMaxMargin = 10000;

// A point size or a margin from the settings file, kept within ±its bound.
int32_t ClampPointSize(int32_t points);
int32_t ClampMargin(int32_t margin);

// Splits `text` at commas (empty fields skipped) and converts each field as a C
// long with automatic base (0x hexadecimal, leading 0 octal, else decimal; no
// digits give 0), clamped as a point size. The first kLadderSlots fields fill
// `slots`; the rest of the slots are 0.
void ParsePointList(const char* text, int32_t slots[kLadderSlots]);

// Replaces, from the left, each backslash followed by 'n' with a line feed.
template <typename Char>
void ReplaceBackslashN(Char* text) {
    Char* out = text;
    for (const Char* in = text; *in != 0; ++in) {
        if (in[0] == Char('\\') && in[1] == Char('n')) {
            *out++ = Char('\n');
            ++in;
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
}

enum class ColourWord { kBlack, kDarkGray, kGray, kLightGray, kWhite, kOther };

ColourWord ParseColourWord(const char* text);

// The text colour (0x00BBGGRR) of a colour word; any other word gives white.
uint32_t TextColourOf(ColourWord word);

// Where the full name is drawn: "ON" in the font, "AUTO" in the font when it
// shows the name visibly, anything else in the system face.
enum class NameFace { kSystem, kLoaded, kAuto };

NameFace ParseNameFace(const char* text);

// Compares two ASCII texts without regard to case.
bool EqualsNoCase(const char* a, const char* b);

}  // namespace glypho
