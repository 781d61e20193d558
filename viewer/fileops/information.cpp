// The information text; see information.h.
#include "viewer/fileops/information.h"

void PictureInformation(const Settings&, const DecodedPicture*, const wchar_t* path,
                        wchar_t (&text)[kInformationChars]) {
    lstrcpynW(text, path ? path : L"", kInformationChars);
}
