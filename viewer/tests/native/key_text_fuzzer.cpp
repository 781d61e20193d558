// Feeds arbitrary settings values to the key-text and extension-list rules:
// whatever a settings file holds, they must stay within their buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/core/key_names.h"
#include "viewer/core/setting_values.h"

namespace {
bool OddBytesLead(unsigned char c) { return (c & 0x81) == 0x81; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text += wchar_t(data[i] | (data[i + 1] << 8));
    KeyCode(text.c_str());
    ParseKeyText(text.c_str());
    IsOnText(text.c_str());
    ParseFontColor(text.c_str());
    std::vector<AccelEntry> entries;
    AppendKeyBindings(text.c_str(), 110, entries);
    if (entries.size() > kMaxAccelEntries) __builtin_trap();

    std::vector<char> ansi(data, data + size);
    ansi.push_back('\0');
    size_t capacity = size > 0 ? data[0] : 0;
    size_t kept = FitExtensionList(ansi.data(), size, capacity, OddBytesLead);
    if (capacity > 0 && (kept >= capacity || ansi[kept] != '\0')) __builtin_trap();
    return 0;
}
