// Calls into plug-in modules under a guard: an exception raised inside the
// call that the plug-in does not handle itself, a processor fault (an access
// violation, a division by zero, ...) or a software exception (a C++ throw,
// any RaiseException), ends the call and is reported, instead of ending the
// program. The plug-in's own handlers see its exceptions first; a stack
// overflow, and a fault that the system could not hand to them, end the call
// at once. The processor state that the viewer relies on (direction flag, x87
// and SSE control, an empty x87 stack) is as it was before the call, whatever
// the plug-in left.
#pragma once

#include <windows.h>

#include <type_traits>

typedef void (*GuardedCall)(void* data);

// Runs `call(data)`; returns 0 when it returned, or the code of the exception
// that ended it (an exception raised with code 0 is told as 0xC0000144).
// Whatever the call had allocated or locked when it faulted stays so.
DWORD RunGuarded(GuardedCall call, void* data);

// The same for any callable, usually a lambda that stores the result of the
// plug-in function it calls.
template <typename Call>
DWORD Guarded(Call&& call) {
    typedef typename std::remove_reference<Call>::type Callable;
    return RunGuarded([](void* data) { (*static_cast<Callable*>(data))(); }, &call);
}
