// The read-ahead thread; see read_ahead_worker.h. One lock guards the request
// queue, the finished list and the flags; the thread waits on an event when
// there is nothing to do and checks for cancellation between its stages.
#include "viewer/readahead/read_ahead_worker.h"

#include <objbase.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdlib>
#include <deque>

#include "viewer/archive/archive_access.h"
#include "viewer/core/float_state.h"
#include "viewer/core/viewer_state.h"
#include "viewer/decode/decode_file.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/look/colour_transform.h"
#include "viewer/plugins/ansi_path.h"

struct ReadAheadWorker {
    HWND window = nullptr;
    UINT doneMessage = 0;
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;   // auto-reset: a request came, or stop
    HANDLE ended = nullptr;  // auto-reset: a decode has ended
    CRITICAL_SECTION lock;
    std::deque<ReadAheadJob> pending;
    std::vector<ReadAheadResult*> finished;
    ReadAheadJob running;  // the decode under way, when `busy`
    bool busy = false;
    bool dropRunning = false;
    bool stop = false;
    // The window waits for the decode under way: it is held to no budget. Read
    // by the decoders on the thread without the lock.
    std::atomic<bool> waited{false};
    uint64_t room = 0;
};

namespace {

struct Locked {
    CRITICAL_SECTION& section;
    explicit Locked(CRITICAL_SECTION& s) : section(s) { EnterCriticalSection(&section); }
    ~Locked() { LeaveCriticalSection(&section); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

uint64_t BitmapBytes(HBITMAP bitmap) {
    BITMAP bm = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return 0;
    const uint64_t height = bm.bmHeight < 0 ? -static_cast<int64_t>(bm.bmHeight) : bm.bmHeight;
    return static_cast<uint64_t>(bm.bmWidthBytes) * height;
}

bool SameJob(const ReadAheadJob& a, const ReadAheadJob& b) {
    return a.path == b.path && a.subIndex == b.subIndex && a.direction == b.direction &&
           a.displayProfile == b.displayProfile && SameDecodeSettings(a.settings, b.settings);
}

// Between an archive's members: the search ends once a member did not fit the
// room (the picture the window would show is that one, not a later member),
// and when the decode is dropped.
bool SearchMustStop(void* data) {
    ReadAheadWorker& worker = *static_cast<ReadAheadWorker*>(data);
    if (DecodedBytesLimitHit()) return true;
    Locked held(worker.lock);
    return worker.stop || worker.dropRunning;
}

// The decode that the window's thread runs for an entry, without plug-ins.
ReadAheadResult* Decode(ReadAheadWorker& worker, const ReadAheadJob& job, uint64_t room) {
    ReadAheadResult* result = new ReadAheadResult();
    result->path = job.path;
    result->subIndex = job.subIndex;
    result->direction = job.direction;
    result->decode.subIndex = job.subIndex;
    result->settings = job.settings;
    result->displayProfile = job.displayProfile;
    result->picture.lastIndex = -1;
    result->room = room;
    result->stamp = StampOfFile(job.path.c_str());
    if (!result->stamp.exists) return result;  // a missing file is told on the window's thread
    char extension[MAX_PATH];
    ToAnsiExactly(PathFindExtensionW(job.path.c_str()), extension);
    PluginList none;
    // Each decode has the archive allowance that the window's gives its own.
    BeginArchiveAllowance(SearchMustStop, &worker);
    SetDecodedBytesLimit(room, &worker.waited);
    SetThreadDisplayProfile(result->displayProfile.c_str());
    result->picture.bitmap = DecodeFile(job.path.c_str(), "", extension, result->decode, result->settings, none,
                                        nullptr, job.direction, result->picture);
    result->bytes = BitmapBytes(result->picture.bitmap) + (result->decode.fileBuffer ? result->decode.fileLength : 0);
    // A picture that the limit refused was passed over, and another decoder,
    // or an archive's next member, may have given one that the window would
    // not show.
    result->refused = DecodedBytesLimitHit() || (result->bytes > room && !worker.waited.load());
    SetDecodedBytesLimit(UINT64_MAX);
    SetThreadDisplayProfile(nullptr);
    if (result->refused) {
        if (result->picture.bitmap) DeleteObject(result->picture.bitmap);
        result->picture.bitmap = nullptr;
        FreeFileBuffer(result->decode);
        result->bytes = 0;
    }
    return result;
}

DWORD WINAPI RunWorker(void* data) {
    ReadAheadWorker& worker = *static_cast<ReadAheadWorker*>(data);
    SetProgramFloatState();
    // Its own apartment: the imaging component is made on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        ReadAheadJob job;
        uint64_t room = 0;
        {
            Locked held(worker.lock);
            if (worker.stop) break;
            if (worker.pending.empty()) {
                LeaveCriticalSection(&worker.lock);
                WaitForSingleObject(worker.wake, INFINITE);
                EnterCriticalSection(&worker.lock);
                continue;
            }
            job = std::move(worker.pending.front());
            worker.pending.pop_front();
            worker.running = job;
            worker.busy = true;
            worker.dropRunning = false;
            room = worker.room;
        }
        ReadAheadResult* result = Decode(worker, job, room);
        // A file changed during the decode may have been read half old, half new.
        const bool changed = result->stamp.exists && IsStale(result->stamp, StampOfFile(job.path.c_str()));
        const bool usable = result->stamp.exists && !changed && (result->refused || result->picture.bitmap);
        bool posted = false;
        {
            Locked held(worker.lock);
            if (!worker.stop && !worker.dropRunning && usable) {
                worker.finished.push_back(result);
                worker.room = worker.room > result->bytes ? worker.room - result->bytes : 0;
                result = nullptr;
                posted = true;
            }
            worker.busy = false;
            worker.waited = false;
        }
        if (result) FreeReadAheadResult(result);
        SetEvent(worker.ended);
        if (posted) PostMessageW(worker.window, worker.doneMessage, 0, 0);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

FileStamp AttributeStamp(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return FileStamp{};
    }
    return FileStamp{true, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     FileTimeValue(data.ftLastWriteTime), 0, 0, 0};
}

}  // namespace

FileStamp StampOfFile(const wchar_t* path) {
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    // Not to be opened even so (a file about to be deleted): what can be read.
    if (file == INVALID_HANDLE_VALUE) return AttributeStamp(path);
    FileStamp stamp = {};
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (GetFileInformationByHandle(file, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        stamp.exists = true;
        stamp.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp.written = FileTimeValue(info.ftLastWriteTime);
        stamp.volume = info.dwVolumeSerialNumber;
        stamp.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
            stamp.changed = static_cast<uint64_t>(basic.ChangeTime.QuadPart);
        }
    }
    CloseHandle(file);
    return stamp;
}

bool SameDecodeSettings(const Settings& decoded, const Settings& now) {
    return decoded.SearchInArchive == now.SearchInArchive && decoded.MaxSizeInArchive == now.MaxSizeInArchive &&
           decoded.CheckExt_SPI == now.CheckExt_SPI && lstrcmpA(decoded.WICExt, now.WICExt) == 0 &&
           decoded.ExifOrientation == now.ExifOrientation && decoded.ColorManagement == now.ColorManagement;
}

ReadAheadWorker* StartReadAheadWorker(HWND window, UINT doneMessage) {
    ReadAheadWorker* worker = new ReadAheadWorker();
    worker->window = window;
    worker->doneMessage = doneMessage;
    InitializeCriticalSection(&worker->lock);
    worker->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    worker->ended = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (worker->wake && worker->ended) worker->thread = CreateThread(nullptr, 0, RunWorker, worker, 0, nullptr);
    if (!worker->thread) {
        StopReadAheadWorker(worker);
        return nullptr;
    }
    // At the window's own priority: a lower one starves the thread on a busy
    // machine, and a step then waits for a read-ahead that hardly runs.
    return worker;
}

void QueueReadAhead(ReadAheadWorker* worker, std::vector<ReadAheadJob> jobs, uint64_t room) {
    if (!worker) return;
    {
        Locked held(worker->lock);
        worker->pending.clear();
        bool runningWanted = false;
        for (ReadAheadJob& job : jobs) {
            if (worker->busy && SameJob(job, worker->running)) {
                runningWanted = true;
                continue;
            }
            worker->pending.push_back(std::move(job));
        }
        if (!runningWanted) worker->dropRunning = true;
        // What finished since the window last took results is held as well.
        for (const ReadAheadResult* result : worker->finished) room = room > result->bytes ? room - result->bytes : 0;
        worker->room = room;
    }
    SetEvent(worker->wake);
}

void CancelReadAhead(ReadAheadWorker* worker) {
    if (!worker) return;
    Locked held(worker->lock);
    worker->pending.clear();
    worker->dropRunning = true;
}

void WaitForReadAhead(ReadAheadWorker* worker, const std::wstring& path, int32_t subIndex, int direction) {
    if (!worker) return;
    EnterCriticalSection(&worker->lock);
    for (auto it = worker->pending.begin(); it != worker->pending.end();) {
        it = it->path == path ? worker->pending.erase(it) : it + 1;
    }
    if (worker->busy && worker->running.path == path) {
        if (worker->running.subIndex == subIndex && worker->running.direction == direction) {
            // Wanted now: its result is taken at once, whatever the budget.
            worker->dropRunning = false;
            worker->waited = true;
        } else {
            worker->dropRunning = true;
        }
    }
    while (worker->busy && worker->waited && worker->running.path == path) {
        LeaveCriticalSection(&worker->lock);
        WaitForSingleObject(worker->ended, 50);
        EnterCriticalSection(&worker->lock);
    }
    LeaveCriticalSection(&worker->lock);
}

bool HasFinishedReadAhead(ReadAheadWorker* worker, const std::wstring& path) {
    if (!worker) return false;
    Locked held(worker->lock);
    for (const ReadAheadResult* result : worker->finished) {
        if (result->path == path && result->subIndex == 0 && result->direction == 1 && result->picture.bitmap) {
            return true;
        }
    }
    return false;
}

std::vector<ReadAheadResult*> TakeFinishedReadAhead(ReadAheadWorker* worker) {
    std::vector<ReadAheadResult*> taken;
    if (!worker) return taken;
    Locked held(worker->lock);
    taken.swap(worker->finished);
    return taken;
}

void StopReadAheadWorker(ReadAheadWorker* worker) {
    if (!worker) return;
    if (worker->thread) {
        {
            Locked held(worker->lock);
            worker->stop = true;
            worker->pending.clear();
            worker->dropRunning = true;
        }
        SetEvent(worker->wake);
        WaitForSingleObject(worker->thread, INFINITE);
        CloseHandle(worker->thread);
    }
    for (ReadAheadResult* result : worker->finished) FreeReadAheadResult(result);
    if (worker->wake) CloseHandle(worker->wake);
    if (worker->ended) CloseHandle(worker->ended);
    DeleteCriticalSection(&worker->lock);
    delete worker;
}

void FreeReadAheadResult(ReadAheadResult* result) {
    if (!result) return;
    if (result->picture.bitmap) DeleteObject(result->picture.bitmap);
    FreeFileBuffer(result->decode);
    delete result;
}
