// The plug-in's one code-page conversion for the name reading: Macintosh Japanese
// names are taken as text in the thread's ANSI code page.
#include <windows.h>

#include "plugins/glypho/font_file.h"

namespace glypho {

size_t ConvertAnsiName(const uint8_t* bytes, size_t count, char16_t* out, size_t outUnits) {
    if (outUnits == 0) return 0;
    out[0] = 0;
    if (count == 0) return 0;
    int units = MultiByteToWideChar(CP_THREAD_ACP, 0, reinterpret_cast<const char*>(bytes),
                                    static_cast<int>(count), nullptr, 0);
    if (units <= 0) return 0;
    // Converted whole, then cut: a cut input could end inside a double-byte character.
    wchar_t whole[1024];
    if (units > static_cast<int>(sizeof(whole) / sizeof(whole[0]))) units = sizeof(whole) / sizeof(whole[0]);
    units = MultiByteToWideChar(CP_THREAD_ACP, 0, reinterpret_cast<const char*>(bytes),
                                static_cast<int>(count), whole, units);
    if (units <= 0) return 0;
    size_t n = static_cast<size_t>(units) < outUnits - 1 ? static_cast<size_t>(units) : outUnits - 1;
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char16_t>(whole[i]);
    out[n] = 0;
    return n;
}

}  // namespace glypho
