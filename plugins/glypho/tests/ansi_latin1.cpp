// The native build's stand-in for the plug-in's code-page conversion: each byte
// becomes the character of the same value, which is exact for the ASCII names
// that the tests use.
#include "plugins/glypho/font_file.h"

namespace glypho {

size_t ConvertAnsiName(const uint8_t* bytes, size_t count, char16_t* out, size_t outUnits) {
    if (outUnits == 0) return 0;
    size_t n = 0;
    for (; n < count && n < outUnits - 1; ++n) out[n] = bytes[n];
    out[n] = 0;
    return n;
}

}  // namespace glypho
