// File-manager synchronisation rules; see explorer_rules.h.
#include "viewer/filelist/explorer_rules.h"

namespace {

constexpr int32_t kVkLeft = 0x25;
constexpr int32_t kVkUp = 0x26;
constexpr int32_t kVkRight = 0x27;
constexpr int32_t kVkDown = 0x28;

void Append(FilerKeySequence& sequence, bool down, int32_t key) {
    if (key != 0) sequence.messages[sequence.count++] = {down, key};
}

}  // namespace

int32_t SortMethodOfStorageColumn(uint32_t propertyId) {
    switch (propertyId) {
    case 10: return 1;  // item name
    case 4: return 3;   // item type
    case 12: return 4;  // size
    case 15: return 5;  // date created
    case 14: return 6;  // date modified
    default: return 0;
    }
}

FilerKeySequence FilerKeysForStep(int32_t viewMode, const KeyPair& configured, bool forward) {
    FilerKeySequence sequence = {};
    if (viewMode >= kViewModeIcon && viewMode <= kViewModeContent) {
        const bool rows = viewMode == kViewModeList || viewMode == kViewModeDetails || viewMode == kViewModeContent;
        const int32_t arrow = rows ? (forward ? kVkDown : kVkUp) : (forward ? kVkRight : kVkLeft);
        Append(sequence, true, arrow);
        Append(sequence, false, arrow);
        return sequence;
    }
    Append(sequence, true, configured.modifier);
    Append(sequence, true, configured.key);
    Append(sequence, false, configured.key);
    Append(sequence, false, configured.modifier);
    return sequence;
}
