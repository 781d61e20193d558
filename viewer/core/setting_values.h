// Value rules of the settings file that need no Windows API: booleans, colour
// words and the fixed-size ANSI extension list. The profile reading itself lives
// in settings.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

// On when the text equals "true", "on" or "1", ignoring case; anything else is off.
bool IsOnText(const wchar_t* text);

// "BLACK", "DARK_GRAY", "GRAY", "LIGHT_GRAY", "WHITE" (case ignored) as 0x00BBGGRR;
// any other word gives -1, the painter's default colour.
int32_t ParseColorName(const wchar_t* word);

// The status-text colour: like ParseColorName, but every word that is not one of
// the four darker greys gives white; never -1.
int32_t ParseFontColor(const wchar_t* word);

// The texts written back for the view keys. The leading blank is part of every
// value: " ON" only for exactly 1, else " OFF"; numbers as " %d" or " %u".
const wchar_t* FlagValueText(int32_t flag);
void FormatSignedValue(int32_t value, wchar_t (&text)[16]);
void FormatUnsignedValue(int32_t value, wchar_t (&text)[16]);

// Cuts an ANSI extension list so that it fits a buffer of `capacity` bytes with
// its terminator. A list that is cut keeps only whole extensions (it ends before
// the '.' that starts the extension that did not fit), so that no half extension
// is ever admitted. `lead` tells whether a byte starts a two-byte character of
// the code page in force; a cut never splits such a pair. Returns the new length.
size_t FitExtensionList(char* text, size_t length, size_t capacity, bool (*lead)(unsigned char));
