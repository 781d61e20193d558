// Menu labels and state; see menus.h.
#include "viewer/input/menus.h"

void BuildMenuLabels(const wchar_t*, HMENU, HMENU, const Settings&) {}

void UpdateMenuState(HWND window, HMENU, HMENU, const Settings&, const DecodedPicture&, int, int) {
    DrawMenuBar(window);
}
