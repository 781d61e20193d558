// The floating-point state that the program's code is compiled for. The
// runtime sets it on the first thread only; a thread that the system starts
// gets the system's x87 precision instead, and a plug-in's thread notification
// may leave anything. Each thread the program starts sets it first.
#pragma once

// An empty x87 stack with the runtime's control word (64-bit precision, round
// to nearest, every exception masked), the default SSE control (round to
// nearest, every exception masked, no flushing to zero) and the direction
// flag clear.
void SetProgramFloatState();
