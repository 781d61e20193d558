// Plug-in and archive rules; see plugin_rules.h.
#include "viewer/plugins/plugin_rules.h"

#include <cstring>

namespace {

uint32_t Read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(const char* a, size_t length, const char* b) {
    if (strlen(b) != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (Upper(a[i]) != b[i]) return false;
    }
    return true;
}

// Device names stay devices with any extension, and with blanks before it.
bool IsDeviceName(const char* name) {
    size_t stem = 0;
    while (name[stem] && name[stem] != '.') ++stem;
    while (stem > 0 && name[stem - 1] == ' ') --stem;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices) {
        if (SameIgnoringCase(name, stem, device)) return true;
    }
    if (stem == 4 && (SameIgnoringCase(name, 3, "COM") || SameIgnoringCase(name, 3, "LPT"))) {
        return name[3] >= '0' && name[3] <= '9';
    }
    return false;
}

bool IsUnsafeCharacter(unsigned char c) {
    return c < 0x20 || c >= 0x7F || strchr("<>:\"|?*/\\", c) != nullptr;
}

}  // namespace

uint16_t PeMachine(const uint8_t* data, size_t length) {
    if (!data || length < 0x40 || data[0] != 'M' || data[1] != 'Z') return 0;
    uint32_t pe = Read32(data + 0x3C);
    if (pe > length || length - pe < 6) return 0;
    if (memcmp(data + pe, "PE\0\0", 4) != 0) return 0;
    return Read16(data + pe + 4);
}

bool IsIgnoredPlugin(const char* bareName, const char* ignoreText) {
    return bareName[0] && strstr(ignoreText, bareName) != nullptr;
}

bool DibBlocksFit(const uint8_t* info, size_t infoSize, size_t bitsSize) {
    if (!info || infoSize < 40) return false;
    uint32_t headerSize = Read32(info);
    if (headerSize < 40 || headerSize > infoSize) return false;
    int32_t width = static_cast<int32_t>(Read32(info + 4));
    int32_t height = static_cast<int32_t>(Read32(info + 8));
    uint16_t bitCount = Read16(info + 14);
    uint32_t compression = Read32(info + 16);
    uint32_t colorsUsed = Read32(info + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    uint64_t rows = static_cast<uint64_t>(height < 0 ? -int64_t{height} : int64_t{height});

    uint64_t tableBytes = 0;
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
            if (compression != 0) return false;
            tableBytes = 4ull * (colorsUsed ? colorsUsed : (1u << bitCount));
            break;
        case 16:
        case 32:
            if (compression == 3 && headerSize == 40) tableBytes = 12;  // the three masks
            else if (compression != 0 && compression != 3) return false;
            tableBytes += 4ull * colorsUsed;
            break;
        case 24:
            if (compression != 0) return false;
            tableBytes = 4ull * colorsUsed;
            break;
        default:
            return false;
    }
    if (tableBytes > infoSize - headerSize) return false;

    uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    // Both factors are below 2^37 and 2^31: the product cannot wrap.
    return stride * rows <= bitsSize;
}

bool MakeSafeMemberName(const char* stored, char* out) {
    out[0] = '\0';
    const char* bare = stored;
    for (const char* p = stored; *p; ++p) {
        if (*p == '/' || *p == '\\' || *p == ':') bare = p + 1;
    }
    char name[kSafeMemberNameMax * 4 + 2];
    size_t length = 0;
    for (const char* p = bare; *p && length < sizeof(name) - 1; ++p) {
        name[length++] = IsUnsafeCharacter(static_cast<unsigned char>(*p)) ? '_' : *p;
    }
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' ')) --length;
    size_t first = 0;
    while (first < length && name[first] == ' ') ++first;
    if (first == length) return false;
    name[length] = '\0';
    const char* kept = name + first;
    length -= first;

    // Over-long names lose the end of their stem; a long "extension" is no
    // extension and goes with it.
    const char* dot = strrchr(kept, '.');
    size_t extensionLength = dot ? strlen(dot) : 0;
    if (extensionLength > 16) extensionLength = 0;
    size_t stemLength = length - extensionLength;
    size_t at = 0;
    // The device test is made on the name as it is finally written: a cut
    // can make one ("CON" and blanks before ".png").
    for (bool prefixed = false;; prefixed = true) {
        const size_t room = kSafeMemberNameMax - (prefixed ? 1 : 0) - extensionLength;
        if (stemLength > room) stemLength = room;
        // Blanks before the extension are dropped by the file system anyway.
        while (stemLength > 0 && kept[stemLength - 1] == ' ') --stemLength;
        at = 0;
        if (prefixed) out[at++] = '_';
        memcpy(out + at, kept, stemLength);
        at += stemLength;
        if (extensionLength) memcpy(out + at, kept + length - extensionLength, extensionLength);
        at += extensionLength;
        out[at] = '\0';
        if (prefixed || !IsDeviceName(out)) break;
    }
    // A cut may leave a trailing dot or blank before an empty extension.
    while (at > 0 && (out[at - 1] == '.' || out[at - 1] == ' ')) out[--at] = '\0';
    return at > 0;
}

const char* MemberExtension(const char* safeName) {
    const char* dot = strrchr(safeName, '.');
    return (dot && dot != safeName) ? dot : "";
}

int32_t SearchArchiveMembers(int32_t count, int32_t start, int direction, bool (*tryMember)(int32_t, void*),
                             void* data) {
    if (count <= 0 || direction == 0) return -1;
    const int32_t last = count - 1;
    const int32_t s = start >= count ? 0 : (start < 0 ? last : start);
    const int32_t d = direction > 0 ? 1 : -1;
    int32_t k = s;
    for (int32_t tried = 0; tried < count; ++tried) {
        if ((s == 0 && k == count) || (s == last && k == -1)) break;
        if (k == count) k = 0;
        if (k == -1) k = last;
        if (tryMember(k, data)) return k;
        if (last == 0) break;
        k += d;
        if (k == s - d) break;
    }
    return -1;
}
