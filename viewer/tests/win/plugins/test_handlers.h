// Faults that the test plug-ins meet with handlers of their own, as a plug-in
// written with __try/__except or try..except has them: TestReadWithHandler
// reads an int through a handler that recovers from an access violation (the
// read then gives -1) unless `declineFaults` is set; TestUnsoundFault reads
// an int where the system cannot find the handlers: on x86 below a broken
// handler chain, on x64 in a function without unwind data that has pushed
// values on the stack, so that no unwinding gets past it.
#pragma once

#include <windows.h>

namespace test_plugin {
inline volatile bool declineFaults = false;
}

extern "C" {
int TestReadWithHandler(const volatile int* address);
int TestUnsoundFault(const volatile int* address);
extern char TestReadResume[];

EXCEPTION_DISPOSITION __cdecl TestOwnHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
    if (test_plugin::declineFaults || record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))) {
        return ExceptionContinueSearch;
    }
#if defined(_WIN64)
    context->Rip = reinterpret_cast<DWORD64>(TestReadResume);
    context->Rax = static_cast<DWORD64>(-1);
#else
    context->Eip = reinterpret_cast<DWORD>(TestReadResume);
    context->Eax = static_cast<DWORD>(-1);
#endif
    return ExceptionContinueExecution;
}
}

#if defined(_WIN64)
__asm__(R"(
    .text
    .p2align 4
    .globl TestReadWithHandler
    .def TestReadWithHandler; .scl 2; .type 32; .endef
    .seh_proc TestReadWithHandler
TestReadWithHandler:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movl (%rcx), %eax
    .globl TestReadResume
TestReadResume:
    nop
    addq $40, %rsp
    ret
    .seh_handler TestOwnHandler, @except
    .seh_endproc

    .p2align 4
    .globl TestUnsoundFault
    .def TestUnsoundFault; .scl 2; .type 32; .endef
TestUnsoundFault:
    pushq $0
    pushq $0
    movl (%rcx), %eax
    addq $16, %rsp
    ret
)");
#else
__asm__(R"(
    .text
    .p2align 4
    .globl _TestReadWithHandler
_TestReadWithHandler:
    movl 4(%esp), %ecx
    pushl $_TestOwnHandler
    pushl %fs:0
    movl %esp, %fs:0
    movl (%ecx), %eax
    .globl _TestReadResume
_TestReadResume:
    popl %fs:0
    addl $4, %esp
    ret

    .p2align 4
    .globl _TestUnsoundFault
_TestUnsoundFault:
    movl 4(%esp), %ecx
    pushl %fs:0
    pushl $_TestOwnHandler
    pushl $16
    movl %esp, %fs:0
    movl (%ecx), %eax
    addl $8, %esp
    popl %fs:0
    ret
)");
#endif
