// The faults that the test plug-ins raise on request: the environment value
// OXEL_TEST_FAULT names an export and a kind ("GetPicture:access",
// "IsSupported:divide", "GetFile:stack"), and that export raises it. Some
// kinds are no fault: "caught" throws and catches its own C++ exception, "x87"
// leaves the x87 stack full and the rounding of x87 and SSE changed; both then
// answer as usual. Faults that the plug-in meets with handlers of its own
// (test_handlers.h): "probe" asks IsBadReadPtr and lstrlenA about a reserved
// page, "handled" reads it through a handler that recovers; both are no
// fault. "declined" reads it through a handler that passes the fault on,
// "unsound" where the system cannot find the handlers. The export "DllMain"
// stands for the module's start-up and closing ("DllMain:x87"). For plug-ins
// in a host process: "exit" ends the process in the call, "hang" sleeps 20
// seconds in it without a word, and "slow" keeps GetPicture working, reporting
// progress, until its progress callback asks it to stop. The last block a
// plug-in handed back beside its answer (a picture's text, a block with a
// failure result) is told by the export TestLastBlock, so that a test can see
// whether the host freed it.
#pragma once

#include <windows.h>

#include <cstring>

#include "spi/susie.h"
#include "test_handlers.h"

namespace test_plugin {

inline volatile bool deeper = true;
inline HLOCAL lastBlock = nullptr;

// A moveable block of a few bytes, kept as the last one handed back.
inline HLOCAL HandOverBlock() {
    lastBlock = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 16);
    return lastBlock;
}

// Whether OXEL_TEST_FAULT asks `exportName` for `kind`.
inline bool Asked(const char* exportName, const char* kind) {
    char wanted[64];
    DWORD length = GetEnvironmentVariableA("OXEL_TEST_FAULT", wanted, sizeof wanted);
    size_t nameLength = strlen(exportName);
    return length > 0 && length < sizeof wanted && strncmp(wanted, exportName, nameLength) == 0 &&
           wanted[nameLength] == ':' && strcmp(wanted + nameLength + 1, kind) == 0;
}

__attribute__((noinline)) inline int Recurse(int depth) {
    volatile char block[4096];
    block[0] = static_cast<char>(depth);
    return deeper ? Recurse(depth + 1) + block[0] : 0;
}

// A page of address space that is reserved and never committed: every read
// of it faults.
inline const volatile int* ReservedPage() {
    static void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    return static_cast<const volatile int*>(page);
}

// The kinds met by handlers of the plug-in's own; false for any other kind.
inline bool MeetWithHandler(const char* kind) {
    if (strcmp(kind, "probe") == 0) {
        const void* page = const_cast<const int*>(ReservedPage());
        volatile BOOL bad = IsBadReadPtr(page, sizeof(int));
        volatile int length = lstrlenA(static_cast<const char*>(page));
        (void)bad, (void)length;
    } else if (strcmp(kind, "handled") == 0 || strcmp(kind, "declined") == 0) {
        declineFaults = kind[0] == 'd';
        TestReadWithHandler(ReservedPage());
        declineFaults = false;
    } else if (strcmp(kind, "unsound") == 0) {
        TestUnsoundFault(ReservedPage());
    } else {
        return false;
    }
    return true;
}

inline void FaultIfAsked(const char* exportName) {
    char wanted[64];
    DWORD length = GetEnvironmentVariableA("OXEL_TEST_FAULT", wanted, sizeof wanted);
    if (length == 0 || length >= sizeof wanted) return;
    size_t nameLength = strlen(exportName);
    if (strncmp(wanted, exportName, nameLength) != 0 || wanted[nameLength] != ':') return;
    const char* kind = wanted + nameLength + 1;
    if (MeetWithHandler(kind)) return;
    if (strcmp(kind, "access") == 0) {
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (strcmp(kind, "divide") == 0) {
        volatile int zero = 0, one = 1;
        volatile int quotient = one / zero;
        (void)quotient;
    } else if (strcmp(kind, "stack") == 0) {
        Recurse(0);
    } else if (strcmp(kind, "direction") == 0) {
        // A fault in the middle of a backward copy.
        __asm__ volatile("std\n\tmovl $1, (%0)" : : "r"(static_cast<volatile int*>(nullptr)) : "memory");
    } else if (strcmp(kind, "cxx") == 0) {
        RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);  // as a C++ throw of another compiler
    } else if (strcmp(kind, "raise") == 0) {
        RaiseException(0xE0001234, 0, 0, nullptr);
    } else if (strcmp(kind, "zero") == 0) {
        RaiseException(0, 0, 0, nullptr);
    } else if (strcmp(kind, "throw") == 0) {
        throw 1;
    } else if (strcmp(kind, "caught") == 0) {
        try {
            throw 2;
        } catch (int) {
        }
    } else if (strcmp(kind, "exit") == 0) {
        ExitProcess(3);
    } else if (strcmp(kind, "hang") == 0) {
        Sleep(20000);
    } else if (strcmp(kind, "x87") == 0) {
        const unsigned short towardZero = 0x0F7F;
        const unsigned int sseTowardZero = 0x7F80;
        __asm__ volatile("fld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfldcw %0\n\tldmxcsr %1"
                         :
                         : "m"(towardZero), "m"(sseTowardZero));
    }
}

// Works for at most 20 seconds while the progress callback lets it; true
// when the callback asked it to stop.
inline bool WorkUntilStopped(spi::ProgressCallback progress, intptr_t data) {
    for (int32_t step = 0; step < 2000; ++step) {
        if (progress && progress(step, 2000, data)) return true;
        Sleep(10);
    }
    return false;
}

inline int32_t CopyInfo(const char* const* strings, int32_t count, int32_t index, char* buffer, int32_t size) {
    if (index < 0 || index >= count || !buffer || size <= 0) return 0;
    lstrcpynA(buffer, strings[index], size);
    return lstrlenA(buffer);
}

}  // namespace test_plugin

extern "C" HLOCAL TestLastBlock() { return test_plugin::lastBlock; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH) test_plugin::FaultIfAsked("DllMain");
    return TRUE;
}
