// The window's input while a plug-in works, in this process (its progress
// callback) or in a host (the wait for its answer): presses given meanwhile
// are dropped, not acted on later, and an Esc asks the plug-in to stop.
#pragma once

struct PluginCallInput {
    int escapes;   // Esc presses taken during the call
    bool closing;  // the window is asked to close
};

// Takes one waiting key or mouse message off the thread's queue without
// dispatching it, and notes in `input` what it was; false when none waits.
// Nothing is peeked while a message sent from another thread waits: a peek
// would handle it there and then, inside the plug-in's call.
bool TakeOneInput(PluginCallInput& input);
