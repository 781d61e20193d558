// The program's floating-point state; see float_state.h.
#include "viewer/core/float_state.h"

#include <windows.h>

#include <cstdint>

void SetProgramFloatState() {
    // What the runtime's start-up reset gives the first thread.
    __asm__ volatile("fninit\n\tcld");
#if !defined(_WIN64)
    if (!IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE)) return;
#endif
    const uint32_t sseDefault = 0x1F80;
    __asm__ volatile("ldmxcsr %0" : : "m"(sseDefault));
}
