// The running-command rule; see busy_scope.h.
#include "viewer/app/busy_scope.h"

namespace {

bool HasDeferredWork(const ViewerState& state) {
    return state.queuedOpen != QueuedOpen::kNone || state.tickDeferred || state.activationDeferred ||
           state.reloadDeferred;
}

void PostDeferredWork(ViewerState& state) {
    if (state.deferredWorkPosted || state.closing || !HasDeferredWork(state)) return;
    if (PostMessageW(state.window, kMsgRunDeferredWork, 0, 0)) state.deferredWorkPosted = 1;
}

}  // namespace

BusyScope::BusyScope(ViewerState& state) : state_(state) { ++state_.busyDepth; }

BusyScope::~BusyScope() {
    if (--state_.busyDepth == 0) PostDeferredWork(state_);
}

bool IsBusy(const ViewerState& state) { return state.busyDepth > 0; }

void QueueOpen(ViewerState& state, QueuedOpen open, const std::wstring& droppedPath) {
    state.queuedOpen = open;
    state.queuedDropPath = open == QueuedOpen::kDrop ? droppedPath : std::wstring();
    if (!IsBusy(state)) PostDeferredWork(state);
}

void DeferTick(ViewerState& state) { state.tickDeferred = 1; }

void DeferActivationCheck(ViewerState& state) { state.activationDeferred = 1; }

DeferredWork TakeDeferredWork(ViewerState& state) {
    DeferredWork work;
    state.deferredWorkPosted = 0;
    // A command that began after the post holds the work until it ends, and
    // posts again then.
    if (IsBusy(state) || state.closing) return work;
    work.activationCheck = state.activationDeferred != 0;
    work.reload = state.reloadDeferred != 0;
    work.tick = state.tickDeferred != 0;
    work.open = state.queuedOpen;
    work.droppedPath.swap(state.queuedDropPath);
    state.activationDeferred = 0;
    state.reloadDeferred = 0;
    state.tickDeferred = 0;
    state.queuedOpen = QueuedOpen::kNone;
    return work;
}
