// The fault guard; see plugin_guard.h. RunGuarded saves its frame with
// __builtin_setjmp; on a fault inside the call the handler points the thread's
// context at LeaveGuard, on the stack just below that frame (the frames of the
// call are abandoned; after a stack overflow there is no room left where the
// fault happened), and LeaveGuard jumps back into RunGuarded.
#include "viewer/decode/plugin_guard.h"

#include <intrin.h>
#include <malloc.h>

#include <cstdint>

namespace {

struct GuardFrame {
    void* jump[5];
    GuardFrame* outer;
    volatile DWORD code;
};

DWORD guardSlot = TLS_OUT_OF_INDEXES;

bool IsFault(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_FLT_DENORMAL_OPERAND:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INEXACT_RESULT:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
        case EXCEPTION_FLT_STACK_CHECK:
        case EXCEPTION_FLT_UNDERFLOW:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_STACK_OVERFLOW:
            return true;
        default:
            return false;
    }
}

#if defined(_WIN64)
__attribute__((noinline, noreturn)) void LeaveGuard(GuardFrame* frame) { __builtin_longjmp(frame->jump, 1); }
#else
__attribute__((noinline, noreturn, fastcall)) void LeaveGuard(GuardFrame* frame) {
    __builtin_longjmp(frame->jump, 1);
}
#endif

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    GuardFrame* frame = static_cast<GuardFrame*>(TlsGetValue(guardSlot));
    DWORD code = info->ExceptionRecord->ExceptionCode;
    if (!frame || !IsFault(code)) return EXCEPTION_CONTINUE_SEARCH;
    frame->code = code;
    // The saved stack pointer is RunGuarded's own; the bytes just below it
    // were the call's, already touched and so committed.
    uintptr_t stack = (reinterpret_cast<uintptr_t>(frame->jump[2]) - 64) & ~uintptr_t{15};
    CONTEXT* context = info->ContextRecord;
#if defined(_WIN64)
    context->Rsp = stack - 8;  // as after a call: the return address slot
    context->Rcx = reinterpret_cast<DWORD64>(frame);
    context->Rip = reinterpret_cast<DWORD64>(&LeaveGuard);
#else
    context->Esp = stack - 4;
    context->Ecx = reinterpret_cast<DWORD>(frame);
    context->Eip = reinterpret_cast<DWORD>(&LeaveGuard);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

BOOL CALLBACK InstallGuard(INIT_ONCE*, void*, void**) {
    guardSlot = TlsAlloc();
    if (guardSlot == TLS_OUT_OF_INDEXES) return FALSE;
    return AddVectoredExceptionHandler(1, OnFault) != nullptr;
}

__attribute__((noinline)) DWORD RunInFrame(GuardFrame& frame, GuardedCall call, void* data) {
#if !defined(_WIN64)
    // A 32-bit module may have put handler records of its own stack frames
    // on the thread's handler chain; after a fault those frames are gone,
    // and so must their records be.
    const DWORD handlerChain = __readfsdword(0);
#endif
    if (__builtin_setjmp(frame.jump) == 0) {
        TlsSetValue(guardSlot, &frame);
        call(data);
    }
#if !defined(_WIN64)
    __writefsdword(0, handlerChain);
#endif
    TlsSetValue(guardSlot, frame.outer);
    return frame.code;
}

}  // namespace

DWORD RunGuarded(GuardedCall call, void* data) {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    if (!InitOnceExecuteOnce(&once, InstallGuard, nullptr, nullptr)) {
        call(data);  // no guard could be installed: the call runs as it is
        return 0;
    }
    GuardFrame frame = {};
    frame.outer = static_cast<GuardFrame*>(TlsGetValue(guardSlot));
    DWORD code = RunInFrame(frame, call, data);
    // The overflow used up the stack's guard page; without a new one the
    // next overflow would end the program.
    if (code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    return code;
}
