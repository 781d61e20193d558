// The read-ahead thread: one background thread that decodes files the window
// is expected to show next, with the program's own decoders and WIC, never
// with a plug-in. It touches nothing of the window's: requests come in as
// paths and settings, finished pictures wait in the worker until the window's
// thread takes them, and a message tells the window that one is there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/readahead/read_ahead_rules.h"

// One decode to run ahead: a file and the settings that the window would
// decode it under, with the colour profile of the window's display (empty:
// none); for an archive's next member, the sub-image index to start from and
// the direction of the search.
struct ReadAheadJob {
    std::wstring path;
    Settings settings;
    std::wstring displayProfile;
    int32_t subIndex = 0;
    int direction = 1;
};

// A finished read-ahead: what the window's thread would have made of the file,
// with the file's stamp taken before the decode; or, `refused`, no picture:
// one did not fit the room left (and an archive's search ended there). A
// decode that failed is never handed over: its cause may pass (a file held
// open by another program, memory short for a moment) while its stamp stays.
// Owned by whoever holds it; freed with FreeReadAheadResult.
struct ReadAheadResult {
    std::wstring path;
    int32_t subIndex;  // as requested; the decode state holds the one found
    int direction;
    FileStamp stamp;
    Settings settings;
    std::wstring displayProfile;
    DecodedPicture picture;
    DecodeState decode;
    uint64_t bytes;  // what it holds: the bitmap's bytes and the whole-file buffer
    uint64_t room;   // the room it was decoded in
    bool refused;
};

struct ReadAheadWorker;

// Starts the thread; it posts `doneMessage` to `window` when a result is ready.
// Null when no thread could be made.
ReadAheadWorker* StartReadAheadWorker(HWND window, UINT doneMessage);

// Replaces the pending requests with `jobs` (most wanted first); the decode
// under way is dropped when it is not among them. `room` is the bytes that the
// results may take together beside those the window holds; the results that
// wait to be taken are counted against it, and one larger than what is left
// is refused.
void QueueReadAhead(ReadAheadWorker* worker, std::vector<ReadAheadJob> jobs, uint64_t room);

// Drops every pending request and the decode under way (its result is freed).
void CancelReadAhead(ReadAheadWorker* worker);

// The window is about to decode sub-image `subIndex` of `path` searched in
// `direction`: the pending requests for `path` are removed, and if that very
// decode is under way, it is no longer dropped nor held to the budget, and is
// waited for (its result is then among the finished ones). Another decode of
// `path` under way is dropped.
void WaitForReadAhead(ReadAheadWorker* worker, const std::wstring& path, int32_t subIndex, int direction);

// Whether `path` (sub-image 0) has been decoded and its picture waits to be
// taken.
bool HasFinishedReadAhead(ReadAheadWorker* worker, const std::wstring& path);

// The finished results, handed over to the caller.
std::vector<ReadAheadResult*> TakeFinishedReadAhead(ReadAheadWorker* worker);

// Cancels, waits for the thread (at most the decode under way) and frees
// everything it still holds.
void StopReadAheadWorker(ReadAheadWorker* worker);

void FreeReadAheadResult(ReadAheadResult* result);

// The stamp of `path` (see FileStamp); the file is opened for its attributes
// only, which no other program's sharing mode refuses.
FileStamp StampOfFile(const wchar_t* path);

// Whether a picture decoded under `decoded` is what `now` would decode: the
// settings that the decoders read are the same.
bool SameDecodeSettings(const Settings& decoded, const Settings& now);
