// The texts of the two menus: the label of each command item (Japanese or
// English) before its key text, the key text taken from a "KeySetting" value,
// the captions of the popups, and the state captions of the fit, zoom and
// rotation popups. Pure text work, so that the native build tests it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where a command's label is set.
enum class LabelMenus { kMenuBar, kBoth };

struct MenuLabelRow {
    uint16_t command;
    const wchar_t* keySetting;  // "KeySetting" key of its key text, or null for none
    const wchar_t* english;
    const wchar_t* japanese;
    LabelMenus menus;
};

// The command rows, in the order in which the labels are set.
const std::vector<MenuLabelRow>& MenuLabelTable();

// The key text shown after a label: the value up to its first comma, exactly
// as written.
std::wstring KeyTextOf(const std::wstring& value);

// The label of a row with its key text. The zoom rows (230, 240) show the
// zoom step: "+25%(&Z)\t" and "-25%(&Q)\t".
std::wstring CommandLabel(const MenuLabelRow& row, bool english, int32_t zoomStep, const std::wstring& keyText);

// Popup captions set at creation.
const wchar_t* FileCaption(bool english);       // menu bar position 0, context position 13
const wchar_t* ViewStateCaption(bool english);  // context position 14
const wchar_t* SortCaption(bool english);       // the sort popups

// State captions: the fit popup ("FitInOut(&A)"), the zoom popup
// ("100%(&W)") and the rotation popup ("L90(&R)").
std::wstring FitCaption(bool fitWidth, bool fitIn, bool fitOut, bool english);
std::wstring ZoomCaption(int32_t zoomPercent);
std::wstring RotationCaption(int32_t rotation, bool english);
