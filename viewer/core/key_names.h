// Key names of the settings file and the rules that turn key texts into
// accelerator entries and key pairs. Pure text work, shared by the accelerator
// table, the file-manager keys of the settings record and the menu labels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Virtual-key code of a key name (case ignored, whole string), or 0.
int KeyCode(const wchar_t* name);

// A modifier code (16 Shift, 17 Control, 18 Alt) and a key code.
struct KeyPair {
    int32_t modifier;
    int32_t key;
};

// A file-manager key text: "KEY", "MOD+KEY" or "KEY+MOD" (the modifier may come
// second); only the first two names count.
KeyPair ParseKeyText(const wchar_t* text);

// Flag bits of an accelerator entry, as the system's ACCEL record has them.
enum AccelFlag : uint8_t {
    kAccelVirtKey = 1,
    kAccelShift = 4,
    kAccelControl = 8,
    kAccelAlt = 16,
};

struct AccelEntry {
    uint8_t flags;
    uint16_t key;
    uint16_t command;
};

// The table never holds more combinations than this; later ones are dropped.
constexpr size_t kMaxAccelEntries = 256;

// Appends one entry per comma-separated combination of `value` for `command`.
// A combination whose first name is a modifier binds the second name with that
// modifier; any other combination binds its first name alone.
void AppendKeyBindings(const wchar_t* value, uint16_t command, std::vector<AccelEntry>& entries);

// One row of the binding table: "KeySetting" key, command, default value.
struct KeyBinding {
    const wchar_t* key;
    uint16_t command;
    const wchar_t* defaultValue;
};

// The fixed binding table, in the order in which accelerators are made.
const std::vector<KeyBinding>& KeyBindingTable();
