// The keyboard accelerator table built from section "KeySetting" at start.
#pragma once

#include <windows.h>

#include <vector>

#include "viewer/core/key_names.h"

// Every combination of every binding row, in table order, at most 256.
std::vector<AccelEntry> ReadKeyBindings(const wchar_t* iniPath);

// The table for the message loop; null when no key is bound or creation failed.
HACCEL BuildAcceleratorTable(const wchar_t* iniPath);
