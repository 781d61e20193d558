// Information tooltip lines; see information_text.h.
#include "viewer/fileops/information_text.h"

#include <cwchar>

namespace {

constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * 1024;

// n / unit rounded half up, in integers (the same as adding 0.5 to the ratio).
uint64_t RoundedUnits(uint64_t n, uint64_t unit) { return n / unit + (n % unit >= unit / 2 ? 1 : 0); }

}  // namespace

std::wstring FormatFileSize(uint64_t bytes) {
    if (bytes < kKiB) return std::to_wstring(bytes) + L"Byte";
    if (bytes >= kMiB) return std::to_wstring(RoundedUnits(bytes, kMiB)) + L"MB";
    return std::to_wstring(RoundedUnits(bytes, kKiB)) + L"KB";
}

std::wstring FormatModifiedLine(bool english, int year, int month, int day, int hour, int minute) {
    wchar_t date[64];
    swprintf(date, 64, L"%d/%02d/%02d %02d:%02d", year, month, day, hour, minute);
    return std::wstring(english ? L"Modified:" : L"\u66F4\u65B0\u65E5\u6642\uFF1A") + date;
}

std::wstring ComposeInformation(const std::wstring& path, const std::wstring& typeName,
                                const std::wstring& sizeAndColors, const std::wstring& fileSize,
                                const std::wstring& modifiedLine) {
    std::wstring text = path + L"\n" + typeName + L"\n";
    if (!sizeAndColors.empty()) text += sizeAndColors + L" ";
    return text + fileSize + L"\n" + modifiedLine;
}
