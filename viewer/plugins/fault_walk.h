// The walk from a processor fault inside a guarded call up to the guard's
// boundary, which decides whether the call may handle the fault itself. A
// plug-in's own handlers (a C __try, a Delphi try..except, a system function
// that probes memory) see its faults first; the guard takes only what none of
// them can, and at once what the system could not even hand to them: a walk
// that leaves the stack or meets a damaged handler record would end the
// program inside the system's dispatcher.
#pragma once

#include <windows.h>

// The running thread's information block: its stack's limits and the head of
// its handler record list.
NT_TIB* ThreadInformationBlock();

// Whether the frames between the fault and the boundary are sound and one of
// them has a handler. `boundary` is, on x86, the boundary's own record on the
// thread's handler chain and, on x64, the boundary function, whose frame the
// unwinding must reach. Reads only the thread's stack and the modules' unwind
// data.
bool CallMayHandle(const CONTEXT& fault, const void* boundary);
