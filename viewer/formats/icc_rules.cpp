// ICC profile rules; see icc_rules.h. The tag table and every tag are checked
// against the profile's bytes before they are read.
#include "viewer/formats/icc_rules.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t Be16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t Be32(const uint8_t* p) { return (Be16(p) << 16) | Be16(p + 2); }
double Fixed16(const uint8_t* p) { return static_cast<int32_t>(Be32(p)) / 65536.0; }

struct Tag {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

Tag FindTag(const uint8_t* profile, size_t length, const char* signature) {
    if (length < 132) return {};
    const uint32_t wanted = Be32(reinterpret_cast<const uint8_t*>(signature));
    uint32_t count = Be32(profile + 128);
    if (count > (length - 132) / 12) count = static_cast<uint32_t>((length - 132) / 12);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = profile + 132 + 12 * size_t{i};
        if (Be32(entry) != wanted) continue;
        const uint32_t at = Be32(entry + 4);
        const uint32_t size = Be32(entry + 8);
        if (at > length || size > length - at) return {};
        return {profile + at, size};
    }
    return {};
}

bool ColorantNear(const uint8_t* profile, size_t length, const char* signature, double x, double y, double z) {
    const Tag tag = FindTag(profile, length, signature);
    if (tag.size < 20 || std::memcmp(tag.data, "XYZ ", 4) != 0) return false;
    constexpr double kTolerance = 0.003;
    return std::fabs(Fixed16(tag.data + 8) - x) < kTolerance && std::fabs(Fixed16(tag.data + 12) - y) < kTolerance &&
           std::fabs(Fixed16(tag.data + 16) - z) < kTolerance;
}

double LinearToSrgb(double v) { return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }

// The tone curve of a 'curv' or 'para' tag at `x` in [0, 1]; false for a
// tag that is neither or is cut short.
bool Curve(const Tag& tag, double x, double& y) {
    if (tag.size < 12) return false;
    if (std::memcmp(tag.data, "curv", 4) == 0) {
        const uint32_t count = Be32(tag.data + 8);
        if (count > (tag.size - 12) / 2) return false;
        if (count == 0) {
            y = x;
        } else if (count == 1) {
            y = std::pow(x, Be16(tag.data + 12) / 256.0);
        } else {
            const double at = x * (count - 1);
            const uint32_t low = static_cast<uint32_t>(at);
            const uint32_t high = low + 1 < count ? low + 1 : low;
            const double part = at - low;
            y = (Be16(tag.data + 12 + 2 * size_t{low}) * (1 - part) + Be16(tag.data + 12 + 2 * size_t{high}) * part) /
                65535.0;
        }
        return true;
    }
    if (std::memcmp(tag.data, "para", 4) != 0) return false;
    static const uint32_t kParameters[] = {1, 3, 4, 5, 7};
    const uint32_t type = Be16(tag.data + 8);
    if (type > 4 || tag.size < 12 + 4 * size_t{kParameters[type]}) return false;
    double p[7] = {};
    for (uint32_t i = 0; i < kParameters[type]; ++i) p[i] = Fixed16(tag.data + 12 + 4 * size_t{i});
    const double g = p[0], a = p[1], b = p[2], c = p[3], d = p[4], e = p[5], f = p[6];
    auto power = [&](double base) { return base > 0 ? std::pow(base, g) : 0.0; };
    switch (type) {
    case 0: y = power(x); break;
    case 1: y = a != 0 && x >= -b / a ? power(a * x + b) : 0; break;
    case 2: y = (a != 0 && x >= -b / a ? power(a * x + b) : 0) + c; break;
    case 3: y = x >= d ? power(a * x + b) : c * x; break;
    default: y = x >= d ? power(a * x + b) + e : c * x + f; break;
    }
    return true;
}

bool CurveIsSrgb(const uint8_t* profile, size_t length, const char* signature) {
    const Tag tag = FindTag(profile, length, signature);
    for (int i = 0; i <= 255; ++i) {
        double linear = 0;
        if (!Curve(tag, i / 255.0, linear)) return false;
        if (!(linear >= 0)) linear = 0;  // also NaN
        if (linear > 1) linear = 1;
        if (std::fabs(LinearToSrgb(linear) * 255 - i) >= 0.5) return false;
    }
    return true;
}

}  // namespace

uint32_t IccColourSpace(const uint8_t* profile, size_t length) { return length >= 128 ? Be32(profile + 16) : 0; }

bool IsSrgbProfile(const uint8_t* profile, size_t length) {
    if (IccColourSpace(profile, length) != kIccRgb || length < 132) return false;
    if (FindTag(profile, length, "A2B0").data || FindTag(profile, length, "A2B1").data) return false;
    // sRGB's primaries adapted to D50, as every sRGB profile states them.
    return ColorantNear(profile, length, "rXYZ", 0.4361, 0.2225, 0.0139) &&
           ColorantNear(profile, length, "gXYZ", 0.3851, 0.7169, 0.0971) &&
           ColorantNear(profile, length, "bXYZ", 0.1431, 0.0606, 0.7141) && CurveIsSrgb(profile, length, "rTRC") &&
           CurveIsSrgb(profile, length, "gTRC") && CurveIsSrgb(profile, length, "bTRC");
}
