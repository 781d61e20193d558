// What may run while a command runs. Boxes, dialogs, the shell's file
// operations and calls across processes run message loops of their own, which
// dispatch timers, animation ticks and a second instance's hand-over to the
// window. None of them may change the list or the picture under the command
// that opened the loop: an open is queued, a tick or an activation's folder
// check is held back, and all of it runs when the outermost command has ended.
#pragma once

#include <windows.h>

#include <string>

#include "viewer/core/viewer_state.h"

// Marks a command, an open, a box or a decode as running for its lifetime.
// When the outermost one ends with work held back, kMsgRunDeferredWork is
// posted to the window.
class BusyScope {
public:
    explicit BusyScope(ViewerState& state);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    ViewerState& state_;
};

bool IsBusy(const ViewerState& state);

// Queues an open (the latest one wins); `droppedPath` is the file of a drop.
// A hand-over's text stays in `handoverText`, where the open reads it.
void QueueOpen(ViewerState& state, QueuedOpen open, const std::wstring& droppedPath = std::wstring());

// Holds back an animation tick or an activation's folder check (a resize's
// decode is held back by setting `reloadDeferred`).
void DeferTick(ViewerState& state);
void DeferActivationCheck(ViewerState& state);

// Takes the held-back work off the record: the handler of kMsgRunDeferredWork
// runs what this returns, in the order of the fields. Nothing is taken while
// a command is still running.
struct DeferredWork {
    bool activationCheck = false;
    bool reload = false;
    bool tick = false;
    QueuedOpen open = QueuedOpen::kNone;
    std::wstring droppedPath;
};
DeferredWork TakeDeferredWork(ViewerState& state);
