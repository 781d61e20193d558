// The walk from a fault to the guard's boundary; see fault_walk.h. On x86 the
// handlers of a thread are a chain of records on its stack, each naming the
// next (the head at fs:0); on x64 they are found by unwinding the stack with
// the unwind data of each module.
#include "viewer/plugins/fault_walk.h"

#include <cstdint>

namespace {

struct StackRange {
    uintptr_t low, high;
    bool Holds(uintptr_t address, size_t size) const { return address >= low && address <= high - size; }
};

StackRange ThreadStack(uintptr_t stackPointer) {
    const NT_TIB* tib = ThreadInformationBlock();
    uintptr_t limit = reinterpret_cast<uintptr_t>(tib->StackLimit);
    return StackRange{stackPointer > limit ? stackPointer : limit, reinterpret_cast<uintptr_t>(tib->StackBase)};
}

#if !defined(_WIN64)

struct ChainRecord {
    const ChainRecord* next;
    const void* handler;
};

// Code of a loaded module; the system calls no handler outside one either.
bool InLoadedImage(const void* code) {
    MEMORY_BASIC_INFORMATION region = {};
    if (!VirtualQuery(code, &region, sizeof region) || region.Type != MEM_IMAGE) return false;
    return (region.Protect & (PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) !=
           0;
}

#endif

}  // namespace

// NtCurrentTeb reads the same field, but through a constant address that the
// compiler takes for an empty array.
NT_TIB* ThreadInformationBlock() {
    NT_TIB* self;
#if defined(_WIN64)
    __asm__("movq %%gs:0x30, %0" : "=r"(self));
#else
    __asm__("movl %%fs:0x18, %0" : "=r"(self));
#endif
    return self;
}

#if defined(_WIN64)

bool CallMayHandle(const CONTEXT& fault, const void* boundary) {
    const StackRange stack = ThreadStack(fault.Rsp);
    // The system's own modules in Wine register their handlers on the
    // thread's record list, as x86 code does, not in their unwind data.
    const uintptr_t listed = reinterpret_cast<uintptr_t>(ThreadInformationBlock()->ExceptionList);
    CONTEXT context = fault;
    bool handler = false;
    for (bool faulting = true;; faulting = false) {
        const uintptr_t frame = context.Rsp;
        if (!stack.Holds(frame, sizeof(DWORD64)) || (frame & 7)) return false;
        DWORD64 imageBase = 0;
        RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (!function) {
            // A leaf function has no unwind data and leaves its return
            // address where the call put it; only the faulting function can
            // be one, since every caller has a frame.
            if (!faulting) return false;
            context.Rip = *reinterpret_cast<const DWORD64*>(frame);
            context.Rsp += 8;
            continue;
        }
        if (imageBase + function->BeginAddress == reinterpret_cast<uintptr_t>(boundary)) {
            return handler || (listed >= stack.low && listed < frame);
        }
        void* handlerData = nullptr;
        DWORD64 establisher = 0;
        if (RtlVirtualUnwind(UNW_FLAG_EHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                             &establisher, nullptr)) {
            handler = true;
        }
        // Every frame lies above the one it called: a walk that does not
        // climb has met damaged unwind data.
        if (context.Rsp <= frame) return false;
    }
}

#else

bool CallMayHandle(const CONTEXT& fault, const void* boundary) {
    const StackRange stack = ThreadStack(fault.Esp);
    const ChainRecord* record = reinterpret_cast<const ChainRecord*>(ThreadInformationBlock()->ExceptionList);
    bool handler = false;
    // Records lie on the stack in the order of their frames: ascending, so
    // the walk ends.
    while (record != boundary) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(record);
        if (!stack.Holds(at, sizeof *record) || (at & 3) || !InLoadedImage(record->handler)) return false;
        if (reinterpret_cast<uintptr_t>(record->next) <= at) return false;
        record = record->next;
        handler = true;
    }
    return handler;
}

#endif
