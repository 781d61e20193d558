// The names that plug-ins are given: they take ANSI paths, and a name that the
// ANSI code page cannot spell exactly must reach no plug-in, since a best-fit
// spelling could name another file.
#pragma once

#include <windows.h>

// `wide` in the thread's ANSI code page, exactly: false (and `ansi` empty)
// when a character has no exact ANSI form or the result does not fit.
bool ToAnsiExactly(const wchar_t* wide, char (&ansi)[MAX_PATH]);

// The name of an existing file or folder for plug-ins: its short form in the
// ANSI code page, exactly; false (and `ansi` empty) when it has none.
bool AnsiPathOf(const wchar_t* path, char (&ansi)[MAX_PATH]);
