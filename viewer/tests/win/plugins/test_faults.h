// The faults that the test plug-ins raise on request: the environment value
// OXEL_TEST_FAULT names an export and a kind ("GetPicture:access",
// "IsSupported:divide", "GetFile:stack"), and that export raises it.
#pragma once

#include <windows.h>

#include <cstring>

namespace test_plugin {

inline volatile bool deeper = true;

__attribute__((noinline)) inline int Recurse(int depth) {
    volatile char block[4096];
    block[0] = static_cast<char>(depth);
    return deeper ? Recurse(depth + 1) + block[0] : 0;
}

inline void FaultIfAsked(const char* exportName) {
    char wanted[64];
    DWORD length = GetEnvironmentVariableA("OXEL_TEST_FAULT", wanted, sizeof wanted);
    if (length == 0 || length >= sizeof wanted) return;
    size_t nameLength = strlen(exportName);
    if (strncmp(wanted, exportName, nameLength) != 0 || wanted[nameLength] != ':') return;
    const char* kind = wanted + nameLength + 1;
    if (strcmp(kind, "access") == 0) {
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (strcmp(kind, "divide") == 0) {
        volatile int zero = 0, one = 1;
        volatile int quotient = one / zero;
        (void)quotient;
    } else if (strcmp(kind, "stack") == 0) {
        Recurse(0);
    }
}

inline int32_t CopyInfo(const char* const* strings, int32_t count, int32_t index, char* buffer, int32_t size) {
    if (index < 0 || index >= count || !buffer || size <= 0) return 0;
    lstrcpynA(buffer, strings[index], size);
    return lstrlenA(buffer);
}

}  // namespace test_plugin
