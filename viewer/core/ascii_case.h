// ASCII-only case folding for the settings file's words and key names: the
// vocabulary is ASCII, and words in other scripts must never match it.
#pragma once

inline wchar_t UpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c; }

// Whole-string equality ignoring ASCII case.
inline bool EqualIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b) {
        if (UpperAscii(*a) != UpperAscii(*b)) return false;
    }
    return *a == *b;
}
