// In-place widening to 32-bit pixels; see pixel_expand.h.
#include "viewer/imaging/pixel_expand.h"

bool WidenToBgra(uint8_t* pixels, size_t count, unsigned bytesPerPixel) {
    if (bytesPerPixel != 1 && bytesPerPixel != 3) return false;
    // From the last pixel back: pixel i moves from byte i × n to byte i × 4,
    // never below where it was, so no pixel still to move is overwritten.
    for (size_t i = count; i-- > 0;) {
        const uint8_t* from = pixels + i * bytesPerPixel;
        uint8_t* to = pixels + i * 4;
        const uint8_t blue = from[0];
        const uint8_t green = bytesPerPixel == 3 ? from[1] : blue;
        const uint8_t red = bytesPerPixel == 3 ? from[2] : blue;
        to[0] = blue;
        to[1] = green;
        to[2] = red;
        to[3] = 255;
    }
    return true;
}
