// The rules of the file-manager synchronisation that need no Windows API: which
// sort order a column of the file manager's view stands for, and which key
// messages mirror one step through the list.
#pragma once

#include <cstdint>

#include "viewer/core/key_names.h"

// The view modes of the shell's folder views, numbered as the shell numbers them.
enum ShellViewMode : int32_t {
    kViewModeNone = -1,  // no view of the file manager was found
    kViewModeIcon = 1,
    kViewModeSmallIcon = 2,
    kViewModeList = 3,
    kViewModeDetails = 4,
    kViewModeThumbnail = 5,
    kViewModeTile = 6,
    kViewModeThumbstrip = 7,
    kViewModeContent = 8,
};

// The sort method of a column of the shell's storage property set (1 name,
// 3 type, 4 size, 5 created, 6 modified), or 0 for a column that has no
// counterpart among the viewer's orders.
int32_t SortMethodOfStorageColumn(uint32_t propertyId);

// One key message for the file manager's list: key down or key up of a
// virtual-key code.
struct FilerKeyMessage {
    bool down;
    int32_t key;
};

struct FilerKeySequence {
    FilerKeyMessage messages[4];
    int count;
};

// The messages that mirror one step (`forward`: NEXT, else PREV). In a view
// whose items run in rows (list, details, content) the Down or Up arrow; in any
// other known view (icons, tiles, thumbnails) the Right or Left arrow; with no
// known view (kViewModeNone, or "Explorer" off) the configured pair: modifier
// down, key down, key up, modifier up, where a code of 0 sends nothing.
FilerKeySequence FilerKeysForStep(int32_t viewMode, const KeyPair& configured, bool forward);
