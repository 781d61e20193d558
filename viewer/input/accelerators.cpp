// Builds the accelerator table from "KeySetting". Windows applies the first
// matching entry, so a key bound twice triggers the row that comes first.
#include "viewer/input/accelerators.h"

std::vector<AccelEntry> ReadKeyBindings(const wchar_t* iniPath) {
    std::vector<AccelEntry> entries;
    for (const KeyBinding& row : KeyBindingTable()) {
        wchar_t value[MAX_PATH];
        GetPrivateProfileStringW(L"KeySetting", row.key, row.defaultValue, value, MAX_PATH, iniPath);
        AppendKeyBindings(value, row.command, entries);
    }
    return entries;
}

HACCEL BuildAcceleratorTable(const wchar_t* iniPath) {
    std::vector<AccelEntry> entries = ReadKeyBindings(iniPath);
    if (entries.empty()) return nullptr;
    std::vector<ACCEL> table;
    table.reserve(entries.size());
    for (const AccelEntry& e : entries) {
        ACCEL a = {};
        a.fVirt = e.flags;
        a.key = e.key;
        a.cmd = e.command;
        table.push_back(a);
    }
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}
