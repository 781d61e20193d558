// The information text; see information.h.
#include "viewer/fileops/information.h"

#include "viewer/fileops/file_information.h"

void PictureInformation(const Settings& settings, const DecodedPicture* picture, const wchar_t* path,
                        wchar_t (&text)[kInformationChars]) {
    const std::wstring information = BuildInformationText(settings, picture, path ? path : L"");
    lstrcpynW(text, information.c_str(), kInformationChars);
}
