// Painter texts; see status_text.h.
#include "viewer/display/status_text.h"

namespace {

const wchar_t kTimes[] = L"\u00D7";

std::wstring Number(int64_t n) { return std::to_wstring(n); }

}  // namespace

std::wstring FormatSizeAndColors(int64_t width, int64_t height, uint16_t bitsPerPixel, bool english,
                                 bool showSize, bool showColors) {
    const std::wstring by = english ? L"x" : kTimes;
    std::wstring size = Number(width) + by + Number(height);
    std::wstring colors;
    if (bitsPerPixel == 0xFFFF) {
        colors = L"?bit";
    } else if (bitsPerPixel <= 10) {
        colors = Number(int64_t{1} << bitsPerPixel) + (english ? L"color" : L"\u8272");
    } else {
        colors = Number(bitsPerPixel) + L"bit";
    }
    if (showSize && showColors) return size + by + colors;
    if (showSize) return size;
    if (showColors) return colors;
    return std::wstring();
}

std::wstring FormatShownSizeAndColors(int32_t width, int32_t height, uint32_t fileWidth, uint32_t fileHeight,
                                      uint16_t bitsPerPixel, bool english, bool showSize, bool showColors) {
    if (!fileWidth || !fileHeight) return FormatSizeAndColors(width, height, bitsPerPixel, english, showSize, showColors);
    std::wstring text = FormatSizeAndColors(fileWidth, fileHeight, bitsPerPixel, english, showSize, showColors);
    if (showSize) text += english ? L" (reduced)" : L"\uFF08\u7E2E\u5C0F\uFF09";
    return text;
}

std::wstring FormatReducedNote(int32_t width, int32_t height, bool english) {
    if (english) return L" (shown reduced to " + Number(width) + L"x" + Number(height) + L")";
    return L"\uFF08" + Number(width) + kTimes + Number(height) + L"\u306B\u7E2E\u5C0F\u3057\u3066\u8868\u793A\uFF09";
}

std::wstring FormatTitle(int32_t currentIndex, int32_t lastListIndex, const std::wstring& fileName,
                         int32_t subIndex, int32_t lastIndex, bool subImageInTitle) {
    std::wstring title = L"(" + Number(int64_t{currentIndex} + 1) + L"/" + Number(int64_t{lastListIndex} + 1) +
                         L")" + fileName;
    if (lastIndex != -1 && subImageInTitle) {
        title += L"\u3010" + Number(int64_t{subIndex} + 1) + L"/" + Number(int64_t{lastIndex} + 1) + L"\u3011";
    }
    return title;
}

std::wstring FitModeName(bool fitOut, bool fitIn, bool english) {
    if (fitOut && fitIn) return english ? L"FitInOut" : L"\u7E2E\u5C0F\u62E1\u5927";
    if (fitOut) return english ? L"FitOut" : L"\u7E2E\u5C0F";
    if (fitIn) return english ? L"FitIn" : L"\u62E1\u5927";
    return english ? L"NoFit" : L"\u305D\u306E\u307E\u307E";
}

std::wstring FormatOverlayText(bool hasList, bool hasPicture, const std::wstring& title,
                               const std::wstring& sizeAndColors, bool fitOut, bool fitIn, bool english,
                               int32_t zoomPercent) {
    std::wstring text;
    if (hasList) text = hasPicture ? title + L"\n" + sizeAndColors : title + L"\n";
    text += L"\n" + FitModeName(fitOut, fitIn, english);
    text += L"\n" + Number(zoomPercent) + L"%";
    return text;
}
