// Calls into plug-in modules under a guard: a processor fault raised inside the
// call (an access violation, a division by zero, a stack overflow, ...) ends
// the call and is reported, instead of ending the program. The guard is a
// vectored exception handler that, while a guarded call runs on the faulting
// thread, resumes that thread at the point where the call was made.
#pragma once

#include <windows.h>

#include <type_traits>

typedef void (*GuardedCall)(void* data);

// Runs `call(data)`; returns 0 when it returned, or the code of the fault that
// ended it. Whatever the call had allocated or locked when it faulted stays so.
DWORD RunGuarded(GuardedCall call, void* data);

// The same for any callable, usually a lambda that stores the result of the
// plug-in function it calls.
template <typename Call>
DWORD Guarded(Call&& call) {
    typedef typename std::remove_reference<Call>::type Callable;
    return RunGuarded([](void* data) { (*static_cast<Callable*>(data))(); }, &call);
}
