// The aside name; see aside_name.h.
#include "viewer/fileops/aside_name.h"

#include <algorithm>

std::wstring AsideName(const std::wstring& name, size_t attempt, size_t room) {
    // A leading dot starts a name, not an extension (".profile").
    const size_t dot = name.rfind(L'.');
    const size_t stemLength = dot == std::wstring::npos || dot == 0 ? name.size() : dot;
    const std::wstring extension = name.substr(stemLength);
    const std::wstring mark = attempt == 0 ? L" (old)" : L" (old " + std::to_wstring(attempt + 1) + L")";
    if (room <= mark.size() + extension.size()) return L"";
    size_t keep = std::min(stemLength, room - mark.size() - extension.size());
    if (keep < stemLength && keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
    if (keep == 0) return L"";
    return name.substr(0, keep) + mark + extension;
}
