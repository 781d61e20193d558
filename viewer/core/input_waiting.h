// Whether the user has moved on: a key or button press waiting in the queue.
// Long searches and rebuilds ask it to give way; key and button releases do
// not count, since the press that started the work is released while it runs.
#pragma once

// True when a key, button or wheel press waits. Nothing is taken from the
// queue, and nothing is looked for while a message sent from another thread
// waits (a peek would handle it there and then).
bool PressWaiting();
