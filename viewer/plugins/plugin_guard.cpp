// The fault guard; see plugin_guard.h. RunGuarded saves its frame with
// __builtin_setjmp. Two handlers can end the call: a vectored handler, which
// sees a processor fault before any frame does, and a frame handler at the
// boundary between the viewer's frames and the call's, which sees what every
// frame of the call passed on. The vectored handler lets the fault go on to
// the call's own handlers when there are some and the system can reach them
// (fault_walk.h), and otherwise ends the call at once, as it does after a
// stack overflow, which leaves the call no stack to handle anything on.
// Either handler points the thread's context at LeaveGuard, on the stack just
// below RunGuarded's frame (the frames of the call are abandoned; after a
// stack overflow there is no room left where the fault happened), and
// LeaveGuard jumps back into RunGuarded.
#include "viewer/plugins/plugin_guard.h"

#include "viewer/plugins/fault_walk.h"

#include <float.h>
#include <malloc.h>

#include <cstdint>

namespace {

struct GuardFrame {
    void* jump[5];
    GuardFrame* outer;
    const void* boundary;  // as CallMayHandle takes it
    volatile DWORD code;
    volatile bool judging;
};

DWORD guardSlot = TLS_OUT_OF_INDEXES;

constexpr DWORD kDirectionFlag = 0x400;
// What RaiseException with code 0 is told as: 0 means "returned".
constexpr DWORD kZeroCodeException = 0xC0000144;  // STATUS_UNHANDLED_EXCEPTION

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

// Resumes the thread in LeaveGuard. The context is the plug-in's: a fault
// inside a backward copy leaves the direction flag set, and the viewer's own
// copies would run backwards.
void Land(GuardFrame* frame, DWORD code, CONTEXT* context) {
    frame->code = code ? code : kZeroCodeException;
    // The saved stack pointer is RunGuarded's own; the bytes just below it
    // were the call's, already touched and so committed.
    uintptr_t stack = (reinterpret_cast<uintptr_t>(frame->jump[2]) - 64) & ~uintptr_t{15};
    context->EFlags &= ~kDirectionFlag;
#if defined(_WIN64)
    context->Rsp = stack - 8;  // as after a call: the return address slot
    context->Rcx = reinterpret_cast<DWORD64>(frame);
    context->Rip = reinterpret_cast<DWORD64>(&LeaveGuard);
#else
    context->Esp = stack - 4;
    context->Ecx = reinterpret_cast<DWORD>(frame);
    context->Eip = reinterpret_cast<DWORD>(&LeaveGuard);
#endif
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    GuardFrame* frame = static_cast<GuardFrame*>(TlsGetValue(guardSlot));
    DWORD code = info->ExceptionRecord->ExceptionCode;
    if (!frame || !IsFault(code)) return EXCEPTION_CONTINUE_SEARCH;
    // A fault during the walk means the walk read what the call left
    // damaged: the call ends there and then.
    if (code != EXCEPTION_STACK_OVERFLOW && !frame->judging) {
        frame->judging = true;
        const bool mayHandle = CallMayHandle(*info->ContextRecord, frame->boundary);
        frame->judging = false;
        if (mayHandle) return EXCEPTION_CONTINUE_SEARCH;
    }
    Land(frame, code, info->ContextRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
}

BOOL CALLBACK InstallGuard(INIT_ONCE*, void*, void**) {
    guardSlot = TlsAlloc();
    if (guardSlot == TLS_OUT_OF_INDEXES) return FALSE;
    return AddVectoredExceptionHandler(1, OnFault) != nullptr;
}

// The floating-point state that the viewer's code assumes: its control words,
// and (on every call boundary) an empty x87 stack.
struct FloatState {
    uint16_t x87Control;
    uint32_t mxcsr;
    bool sse;
};

FloatState SaveFloatState() {
    FloatState state = {};
    __asm__ volatile("fnstcw %0" : "=m"(state.x87Control));
#if defined(_WIN64)
    state.sse = true;
#else
    state.sse = IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != FALSE;
#endif
    if (state.sse) __asm__ volatile("stmxcsr %0" : "=m"(state.mxcsr));
    return state;
}

void RestoreFloatState(const FloatState& state, bool faulted) {
    if (faulted) _fpreset();
    // Values left on the x87 stack turn every later x87 result into NaN.
    struct {
        uint16_t control, unused0, status, unused1, tags, unused2;
        uint32_t rest[4];
    } environment;
    __asm__ volatile("fnstenv %0" : "=m"(environment));
    if (environment.tags != 0xFFFF) __asm__ volatile("fninit");
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(state.x87Control));
    if (state.sse) __asm__ volatile("ldmxcsr %0" : : "m"(state.mxcsr));
    __asm__ volatile("cld");
}

}  // namespace

// The handler at the boundary: reached only by an exception, a processor
// fault among them, that every frame of the call passed on.
extern "C" EXCEPTION_DISPOSITION __cdecl OxelGuardEscape(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    GuardFrame* frame = static_cast<GuardFrame*>(TlsGetValue(guardSlot));
    if (!frame) return ExceptionContinueSearch;
    // A C++ throw cannot be continued where it was raised; it is not: the
    // thread goes on in LeaveGuard.
    record->ExceptionFlags &= ~static_cast<DWORD>(EXCEPTION_NONCONTINUABLE);
    Land(frame, record->ExceptionCode, context);
    return ExceptionContinueExecution;
}

#if defined(_WIN64)
// The boundary frame: calls call(data) in a frame whose unwind information
// names OxelGuardEscape as its exception handler.
extern "C" void OxelGuardBoundary(GuardedCall call, void* data);
__asm__(R"(
    .text
    .p2align 4
    .globl OxelGuardBoundary
    .def OxelGuardBoundary; .scl 2; .type 32; .endef
    .seh_proc OxelGuardBoundary
OxelGuardBoundary:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    addq $40, %rsp
    ret
    .seh_handler OxelGuardEscape, @except
    .seh_endproc
)");
#else
struct HandlerRecord {
    HandlerRecord* next;
    void* handler;
};
#endif

namespace {

__attribute__((noinline)) DWORD RunInFrame(GuardFrame& frame, GuardedCall call, void* data) {
    // The call may have put handler records of its own stack frames on the
    // thread's record list (32-bit code does, and so do Wine's own modules in
    // 64-bit code); after a fault those frames are gone, and so must their
    // records be.
    NT_TIB* thread = ThreadInformationBlock();
    EXCEPTION_REGISTRATION_RECORD* const handlerChain = thread->ExceptionList;
    if (__builtin_setjmp(frame.jump) == 0) {
#if defined(_WIN64)
        frame.boundary = reinterpret_cast<const void*>(&OxelGuardBoundary);
        TlsSetValue(guardSlot, &frame);
        OxelGuardBoundary(call, data);
#else
        HandlerRecord boundary = {reinterpret_cast<HandlerRecord*>(handlerChain),
                                  reinterpret_cast<void*>(&OxelGuardEscape)};
        frame.boundary = &boundary;
        TlsSetValue(guardSlot, &frame);
        thread->ExceptionList = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(&boundary);
        call(data);
#endif
    }
    thread->ExceptionList = handlerChain;
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
    const FloatState floats = SaveFloatState();
    GuardFrame frame = {};
    frame.outer = static_cast<GuardFrame*>(TlsGetValue(guardSlot));
    DWORD code = RunInFrame(frame, call, data);
    // The overflow used up the stack's guard page; without a new one the
    // next overflow would end the program.
    if (code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    RestoreFloatState(floats, code != 0);
    return code;
}
