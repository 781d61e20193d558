// Reading ahead on the window's side; see read_ahead.h.
#include "viewer/app/read_ahead.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "viewer/core/command_ids.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/look/colour_transform.h"
#include "viewer/plugins/plugin_answer.h"
#include "viewer/readahead/read_ahead_rules.h"
#include "viewer/readahead/read_ahead_worker.h"

// A file whose picture did not fit the budget: not asked for again while the
// refusal stands (RefusalStands) and the file is the shown entry or a target.
struct HeldRefusal {
    std::wstring path;
    Refusal refusal;
};

struct ReadAheadCache {
    ReadAheadWorker* worker = nullptr;
    std::vector<ReadAheadResult*> held;
    std::vector<HeldRefusal> refusals;
    int direction = 1;
    int memberDirection = 1;
    // Steps faster than decodes: the file passed over without a picture, or
    // empty (a path: a sort or a folder read again moves its entry); when the
    // last step began and ended (0: no step since a jump), whether it was
    // passed over; how long the last decode of an entry took (or the wait for
    // its read-ahead).
    std::wstring passedPath;
    DWORD stepBegan = 0;
    DWORD stepEnded = 0;
    bool lastStepPassed = false;
    DWORD decodeMilliseconds = 0;
};

namespace {

// A decode that a user waits for visibly; quicker ones keep pace with any key.
constexpr DWORD kSlowDecodeMilliseconds = 30;
// A step that comes this soon after the last one ended is taken for a held
// key (the system's fastest repeat is some 33 ms, its slowest some 400 ms,
// but at the slow rates a decode mostly keeps pace).
constexpr DWORD kHeldKeyGapMilliseconds = 150;

// A held key, or steps sent faster than pictures decode: another NEXT or PREV
// already waits and will leave entry `index`, so it is passed over without a
// decode. A step that would go nowhere (at an end of the list) does not count.
bool AnotherStepQueued(const ViewerState& state, int32_t index) {
    // A peek would handle a message sent from another thread there and then,
    // a close among them: with one waiting, nothing is looked for.
    if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) return false;
    MSG message;
    // A held key's next repeat (bit 30: the key was already down) is queued.
    if (PeekMessageW(&message, state.window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD) &&
        (message.lParam & (1 << 30))) {
        return true;
    }
    if (!PeekMessageW(&message, state.window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE | PM_NOYIELD)) return false;
    const WORD command = LOWORD(message.wParam);
    return (command == IDM_NEXT && index < state.lastListIndex) || (command == IDM_PREV && index > 0);
}

std::wstring WindowDisplayProfile(const ViewerState& state) {
    wchar_t profile[MAX_PATH];
    DisplayProfilePath(state.window, profile);
    return profile;
}

uint64_t Budget(const Settings& settings) {
    return settings.ReadAheadMB > 0 ? static_cast<uint64_t>(settings.ReadAheadMB) * 1048576u : 0;
}

uint64_t HeldBytes(const ReadAheadCache& cache) {
    uint64_t total = 0;
    for (const ReadAheadResult* result : cache.held) total += result->bytes;
    return total;
}

// The list index of `path`, or -1 when the list no longer has it.
int32_t IndexOf(const ViewerState& state, const std::wstring& path) {
    const std::vector<std::wstring>& paths = state.fileList.paths;
    for (int32_t index : ReadAheadTargets(state.currentIndex, state.lastListIndex, 1)) {
        if (paths[static_cast<size_t>(index)] == path) return index;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i] == path) return static_cast<int32_t>(i);
    }
    return -1;
}

bool IsMember(const ReadAheadResult& result) { return result.subIndex != 0 || result.direction != 1; }

const std::wstring& PathAt(const ViewerState& state, int32_t index) {
    return state.fileList.paths[static_cast<size_t>(index)];
}

// Whether a refusal of `path` still stands with `room` left.
bool IsRefused(const ReadAheadCache& cache, const std::wstring& path, uint64_t room) {
    for (const HeldRefusal& held : cache.refusals) {
        if (held.path == path) return RefusalStands(held.refusal, StampOfFile(path.c_str()), room);
    }
    return false;
}

// Keeps the refusal of a result (the latest for its file) and frees the result.
void KeepRefusal(ReadAheadCache& cache, ReadAheadResult* result) {
    auto found = std::find_if(cache.refusals.begin(), cache.refusals.end(),
                              [&](const HeldRefusal& held) { return held.path == result->path; });
    if (found == cache.refusals.end()) found = cache.refusals.insert(cache.refusals.end(), {result->path, {}});
    found->refusal = Refusal{result->stamp, result->room};
    FreeReadAheadResult(result);
}

bool ReadsMembersAhead(ViewerState& state);

// Gives up the held pictures that the position and the budget no longer want.
// The shown archive's next member is wanted most.
void Evict(ViewerState& state, const std::vector<int32_t>& targets) {
    ReadAheadCache& cache = *state.readAhead;
    std::vector<int32_t> wanted = targets;
    if (ReadsMembersAhead(state)) wanted.insert(wanted.begin(), state.currentIndex);
    std::vector<HeldPicture> held;
    for (const ReadAheadResult* result : cache.held) {
        int32_t index = IndexOf(state, result->path);
        if (IsMember(*result) && index != state.currentIndex) index = -1;
        held.push_back({index, result->bytes});
    }
    const std::vector<size_t> evicted = PicturesToEvict(held, wanted, Budget(state.settings));
    for (size_t k = evicted.size(); k-- > 0;) {
        FreeReadAheadResult(cache.held[evicted[k]]);
        cache.held.erase(cache.held.begin() + static_cast<std::ptrdiff_t>(evicted[k]));
    }
    // Refusals are kept for the shown entry and the targets only.
    cache.refusals.erase(std::remove_if(cache.refusals.begin(), cache.refusals.end(),
                                        [&](const HeldRefusal& refused) {
                                            const int32_t index = IndexOf(state, refused.path);
                                            return index != state.currentIndex &&
                                                   std::find(targets.begin(), targets.end(), index) == targets.end();
                                        }),
                         cache.refusals.end());
}

bool Matches(const ReadAheadResult& result, const std::wstring& path, int32_t subIndex, int direction) {
    return result.path == path && result.subIndex == subIndex && result.direction == direction;
}

bool IsHeld(const ReadAheadCache& cache, const std::wstring& path, int32_t subIndex = 0, int direction = 1) {
    return std::any_of(cache.held.begin(), cache.held.end(),
                       [&](const ReadAheadResult* result) { return Matches(*result, path, subIndex, direction); });
}

// Whether entry `index` has been decoded ahead.
bool IsReadAhead(const ViewerState& state, int32_t index) {
    const std::wstring& path = PathAt(state, index);
    return IsHeld(*state.readAhead, path) || HasFinishedReadAhead(state.readAhead->worker, path);
}

// Whether the members of the shown entry are read ahead: a zip file that the
// program's own reader opens, which no plug-in would be offered.
bool ReadsMembersAhead(ViewerState& state) {
    if (state.lastListIndex < 0 || !state.settings.SearchInArchive || !state.plugins.empty()) return false;
    const std::wstring& path = PathAt(state, state.currentIndex);
    return lstrcmpiW(PathFindExtensionW(path.c_str()), L".zip") == 0 && state.picture.lastIndex > 0;
}

// Fills the window's picture from `result` and frees the rest of it.
void Adopt(ViewerState& state, ReadAheadResult* result) {
    state.picture = result->picture;
    FreeFileBuffer(state.decodeState);
    state.decodeState = result->decode;
    result->picture.bitmap = nullptr;
    result->decode = DecodeState{};
    FreeReadAheadResult(result);
}

// Moves the thread's finished results into the held set, or their refusals
// into the refusals; a file no longer listed, or held twice, is given up (the
// list may have changed since the request).
void TakeFinished(ViewerState& state) {
    ReadAheadCache& cache = *state.readAhead;
    for (ReadAheadResult* result : TakeFinishedReadAhead(cache.worker)) {
        if (state.closing || IndexOf(state, result->path) < 0) {
            FreeReadAheadResult(result);
        } else if (result->refused) {
            KeepRefusal(cache, result);
        } else if (IsHeld(cache, result->path, result->subIndex, result->direction)) {
            FreeReadAheadResult(result);
        } else {
            cache.held.push_back(result);
        }
    }
}

// Takes the held result for (`path`, `subIndex`, `direction`) when it still
// stands for the file; false otherwise. That decode, if under way, is waited
// for rather than done again.
bool TakeHeld(ViewerState& state, const std::wstring& path, int32_t subIndex, int direction) {
    ReadAheadCache& cache = *state.readAhead;
    WaitForReadAhead(cache.worker, path, subIndex, direction);
    TakeFinished(state);
    auto found = std::find_if(cache.held.begin(), cache.held.end(), [&](const ReadAheadResult* result) {
        return Matches(*result, path, subIndex, direction);
    });
    if (found == cache.held.end()) return false;
    ReadAheadResult* result = *found;
    cache.held.erase(found);
    // A file replaced since, or settings changed since, is decoded again.
    // So is one converted for another display's colour profile.
    if (IsStale(result->stamp, StampOfFile(path.c_str())) || !SameDecodeSettings(result->settings, state.settings) ||
        (state.settings.ColorManagement && result->displayProfile != WindowDisplayProfile(state))) {
        FreeReadAheadResult(result);
        return false;
    }
    Adopt(state, result);
    return true;
}

}  // namespace

void StartReadAhead(ViewerState& state) {
    if (state.readAhead || !state.settings.ReadAhead) return;
    ReadAheadWorker* worker = StartReadAheadWorker(state.window, kMsgReadAheadDone);
    if (!worker) return;
    state.readAhead = new ReadAheadCache();
    state.readAhead->worker = worker;
}

void ScheduleReadAhead(ViewerState& state, int direction) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache || state.closing || state.lastListIndex < 0) return;
    if (direction != 0) cache->direction = direction < 0 ? -1 : 1;
    // While a held key passes entries over, nothing ahead can be known to be
    // wanted: the thread rests until the steps stop.
    if (IsPassedOver(state)) {
        CancelReadAhead(cache->worker);
        return;
    }
    CollectReadAhead(state);
    const std::wstring profile = WindowDisplayProfile(state);
    const std::vector<int32_t> targets = ReadAheadTargets(state.currentIndex, state.lastListIndex, cache->direction);
    Evict(state, targets);
    std::vector<ReadAheadJob> jobs;
    const uint64_t room = RoomLeft(Budget(state.settings), HeldBytes(*cache));
    if (ReadsMembersAhead(state)) {
        const std::wstring& path = PathAt(state, state.currentIndex);
        const int32_t next = state.decodeState.subIndex + cache->memberDirection;
        if (!IsHeld(*cache, path, next, cache->memberDirection) && !IsRefused(*cache, path, room)) {
            ReadAheadJob job{path, state.settings, profile};
            job.subIndex = next;
            job.direction = cache->memberDirection;
            jobs.push_back(job);
        }
    }
    for (int32_t index : targets) {
        const std::wstring& path = PathAt(state, index);
        if (IsHeld(*cache, path) || IsRefused(*cache, path, room)) continue;
        // Plug-ins run on this thread only: what one would take is decoded
        // when it is shown.
        if (PluginWouldAnswer(path.c_str(), state.settings, state.plugins)) continue;
        jobs.push_back({path, state.settings, profile});
    }
    QueueReadAhead(cache->worker, std::move(jobs), room);
}

bool PassOverStep(ViewerState& state, int32_t index) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache) return false;
    const DWORD now = GetTickCount();
    const DWORD cadence = now - cache->stepBegan;
    // Steps still come fast after one that was passed over; or they come
    // fast, pictures are slow to decode and this one is not read ahead yet: a
    // decode, or a wait for the one under way, would hold up the steps still
    // to come. An open or another jump starts afresh.
    const bool held = cache->stepEnded != 0 && now - cache->stepEnded < kHeldKeyGapMilliseconds &&
                      (cache->lastStepPassed ||
                       (cache->decodeMilliseconds >= kSlowDecodeMilliseconds && !IsReadAhead(state, index)));
    cache->stepBegan = now;
    const bool passed = held || AnotherStepQueued(state, index);
    // A message sent from another thread just after the peek's guard may still
    // have been handled there: a close frees the cache and the list.
    if (state.closing || state.readAhead != cache) return false;
    cache->lastStepPassed = passed;
    if (!passed) return false;
    // Decoded once no step has come for half as long again as the last gap
    // between two: a press queued or still to come passes it over first. A
    // held key's repeats keep their pace within a few milliseconds (the timer
    // resolution is raised), and its release decodes at once.
    cache->passedPath = PathAt(state, index);
    const DWORD wait = std::min<DWORD>(250, std::max<DWORD>(45, cadence + cadence / 2));
    SetTimer(state.window, kSettleStepTimer, wait, nullptr);
    return true;
}

void NoteStepEnded(ViewerState& state) {
    if (state.readAhead) state.readAhead->stepEnded = GetTickCount();
}

bool IsPassedOver(const ViewerState& state) {
    const ReadAheadCache* cache = state.readAhead;
    return cache && !cache->passedPath.empty() && state.lastListIndex >= 0 &&
           cache->passedPath == PathAt(state, state.currentIndex) && !state.picture.bitmap &&
           state.picture.width == 0 && state.picture.height == 0;
}

void NoteEntryDecoded(ViewerState& state, DWORD milliseconds, bool readAhead) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache) return;
    cache->passedPath.clear();
    // A picture taken from the read-ahead tells how slow decodes are only
    // when it had to be waited for.
    if (!readAhead || milliseconds >= kSlowDecodeMilliseconds) cache->decodeMilliseconds = milliseconds;
}

void CancelPendingReadAhead(ViewerState& state) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache) return;
    CancelReadAhead(cache->worker);
    cache->stepEnded = 0;
    cache->lastStepPassed = false;
}

void CollectReadAhead(ViewerState& state) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache) return;
    TakeFinished(state);
    if (!state.closing && state.lastListIndex >= 0) {
        Evict(state, ReadAheadTargets(state.currentIndex, state.lastListIndex, cache->direction));
    }
}

bool TakeReadAhead(ViewerState& state, int32_t index) {
    if (!state.readAhead || index < 0 || index > state.lastListIndex) return false;
    return TakeHeld(state, PathAt(state, index), 0, 1);
}

void ScheduleMemberReadAhead(ViewerState& state, int direction) {
    if (!state.readAhead) return;
    state.readAhead->memberDirection = direction < 0 ? -1 : 1;
    ScheduleReadAhead(state, 0);
}

bool TakeMemberReadAhead(ViewerState& state, int32_t subIndex, int direction) {
    if (!state.readAhead || !ReadsMembersAhead(state)) return false;
    return TakeHeld(state, PathAt(state, state.currentIndex), subIndex, direction);
}

void DropReadAheadForOtherProfiles(ViewerState& state) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache || !state.settings.ColorManagement) return;
    const std::wstring profile = WindowDisplayProfile(state);
    TakeFinished(state);
    auto other = std::stable_partition(cache->held.begin(), cache->held.end(), [&](const ReadAheadResult* result) {
        return result->displayProfile == profile;
    });
    for (auto it = other; it != cache->held.end(); ++it) FreeReadAheadResult(*it);
    cache->held.erase(other, cache->held.end());
    ScheduleReadAhead(state, 0);
}

uint64_t HeldReadAheadBytes(const ViewerState& state) { return state.readAhead ? HeldBytes(*state.readAhead) : 0; }

void StopReadAhead(ViewerState& state) {
    ReadAheadCache* cache = state.readAhead;
    if (!cache) return;
    state.readAhead = nullptr;
    StopReadAheadWorker(cache->worker);
    for (ReadAheadResult* result : cache->held) FreeReadAheadResult(result);
    delete cache;
}
