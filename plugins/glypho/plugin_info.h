// The plug-in information strings of glypho and how they are copied into a
// host's buffer. Two tables, chosen by the collection switch; the descriptions
// are stored as Shift-JIS bytes, the code page the plug-in's hosts run in.
#pragma once

namespace glypho {

// The information string of `index` (0 to 3), or null for any other index.
const char* PluginInfoString(int index, bool collectionsOn);

// Copies `text` into `buffer` with at most `bufferSize` - 1 bytes and a zero, never
// splitting a Shift-JIS double-byte character; returns the bytes copied. Writes
// nothing and returns 0 when `bufferSize` is below 1.
int CopyInfoString(const char* text, char* buffer, int bufferSize);

}  // namespace glypho
