// Information tooltip text; see file_information.h.
#include "viewer/fileops/file_information.h"

#include <shellapi.h>

#include "viewer/display/status_text.h"
#include "viewer/fileops/information_text.h"

std::wstring BuildInformationText(const Settings& settings, const DecodedPicture* picture, const wchar_t* path) {
    const bool english = settings.English != 0;
    SHFILEINFOW type = {};
    SHGetFileInfoW(path, 0, &type, sizeof(type), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    std::wstring sizeAndColors;
    std::wstring reducedNote;
    if (picture) {
        // Both parts always, whatever the menu bar shows; a picture shown
        // reduced tells the file's own size, and then what it is shown at.
        const bool reduced = picture->fileWidth && picture->fileHeight;
        sizeAndColors = FormatSizeAndColors(reduced ? picture->fileWidth : picture->width,
                                            reduced ? picture->fileHeight : picture->height, picture->bitsPerPixel,
                                            english, true, true);
        if (reduced) reducedNote = FormatReducedNote(picture->width, picture->height, english);
    }
    std::wstring size = L"?";
    std::wstring modified = english ? L"Modified:" : L"\u66F4\u65B0\u65E5\u6642\uFF1A";
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        size = FormatFileSize((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        // Local time by the rules of the file's own date: a summer date seen in
        // winter keeps its summer offset.
        SYSTEMTIME utc;
        SYSTEMTIME t;
        if (FileTimeToSystemTime(&data.ftLastWriteTime, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &t)) {
            modified = FormatModifiedLine(english, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
        }
    }
    return ComposeInformation(path, type.szTypeName, sizeAndColors, size + reducedNote, modified);
}
