// The plug-in host's side of the protocol; see host_calls.h. One request at a
// time: a call runs to its end before the next request is read, except for
// the progress reports, each answered by the viewer before the plug-in goes on.
#include "pluginhost/host_calls.h"

#include <cstring>
#include <string>
#include <vector>

#include "spi/susie.h"
#include "viewer/plugins/host_protocol.h"
#include "viewer/plugins/plugin_guard.h"

namespace {

struct Plugin {
    HMODULE module;
    bool disabled;  // it faulted: asked no more
};

// A section of shared memory and this process's view of it.
struct SharedSection {
    HANDLE section;
    uint8_t* view;
    uint64_t size;
};

struct Session {
    HANDLE pipe;
    std::vector<Plugin> plugins;
    SharedSection kept;  // reused by every answer it can hold
    SharedSection once;  // an answer too large to keep; closed when the next request comes
    // The plug-in's blocks of the last answer, freed once it is written:
    // freeing a large block takes a while, and the viewer makes its bitmap
    // meanwhile.
    void* spent[2];
};

Session* session = nullptr;  // for the progress callback, which has no room for it

bool ReadAll(HANDLE pipe, void* data, DWORD length) {
    auto* bytes = static_cast<uint8_t*>(data);
    while (length > 0) {
        DWORD got = 0;
        if (!ReadFile(pipe, bytes, length, &got, nullptr) || got == 0) return false;
        bytes += got;
        length -= got;
    }
    return true;
}

bool WriteAll(HANDLE pipe, const std::vector<uint8_t>& message) {
    DWORD put = 0;
    return WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), &put, nullptr) &&
           put == message.size();
}

bool ReadRequest(HANDLE pipe, host::Request& request) {
    uint8_t header[host::kHeaderBytes];
    uint32_t kind = 0, length = 0;
    if (!ReadAll(pipe, header, sizeof header) || !host::ReadHeader(header, kind, length)) return false;
    std::vector<uint8_t> body(length);
    return (length == 0 || ReadAll(pipe, body.data(), length)) &&
           host::DecodeRequest(kind, body.data(), length, request);
}

// The plug-in's progress callback: asks the viewer whether to go on. A viewer
// that is gone, or answers anything else, ends the host.
int32_t SPI_API ForwardProgress(int32_t step, int32_t total, intptr_t) {
    host::Answer report;
    report.kind = host::kProgress;
    report.values[0] = step;
    report.values[1] = total;
    host::Request reply;
    if (!WriteAll(session->pipe, host::EncodeAnswer(report)) || !ReadRequest(session->pipe, reply) ||
        (reply.call != host::kProgressGoOn && reply.call != host::kProgressStop)) {
        ExitProcess(1);
    }
    return reply.call == host::kProgressStop ? 1 : 0;
}

template <typename Fn>
Fn Export(Session& s, const host::Request& request, const char* name) {
    if (request.slot >= s.plugins.size() || s.plugins[request.slot].disabled) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(s.plugins[request.slot].module, name)));
}

void CloseSection(SharedSection& shared) {
    if (shared.view) UnmapViewOfFile(shared.view);
    if (shared.section) CloseHandle(shared.section);
    shared = SharedSection{};
}

bool MakeSection(uint64_t size, SharedSection& made) {
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                        static_cast<DWORD>(size), nullptr);
    if (!section) return false;
    void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(size));
    if (!view) {
        CloseHandle(section);
        return false;
    }
    made = SharedSection{section, static_cast<uint8_t*>(view), size};
    return true;
}

// A section of at least `needed` bytes: the kept one when it holds them, else
// a larger one in its place, made before the old one closes so that its
// handle differs; an answer beyond the limit gets one of its own.
SharedSection* SectionFor(Session& s, uint64_t needed) {
    if (needed <= s.kept.size) return &s.kept;
    const bool keep = needed <= host::kKeptSectionLimit;
    const uint64_t granule = host::kSectionGranule;
    const uint64_t size = keep ? (needed + granule - 1) / granule * granule : needed;
    SharedSection made;
    if (!MakeSection(size, made)) return nullptr;
    SharedSection& slot = keep ? s.kept : s.once;
    CloseSection(slot);
    slot = made;
    return &slot;
}

// Copies local blocks into a section for the viewer, one after another; false
// when there is none large enough.
bool ShareBlocks(Session& s, HLOCAL first, HLOCAL second, host::Answer& answer) {
    const uint64_t firstSize = first ? LocalSize(first) : 0;
    const uint64_t secondSize = second ? LocalSize(second) : 0;
    const uint64_t total = firstSize + secondSize;
    if (total == 0) return false;
    SharedSection* shared = SectionFor(s, total);
    const void* a = first ? LocalLock(first) : nullptr;
    const void* b = second ? LocalLock(second) : nullptr;
    const bool copied = shared && (!first || a) && (!second || b);
    if (copied) {
        if (a) memcpy(shared->view, a, static_cast<size_t>(firstSize));
        if (b) memcpy(shared->view + firstSize, b, static_cast<size_t>(secondSize));
    }
    if (a) LocalUnlock(first);
    if (b) LocalUnlock(second);
    if (!copied) return false;
    answer.section = reinterpret_cast<uintptr_t>(shared->section);
    answer.sectionSize = shared->size;
    answer.firstSize = firstSize;
    answer.secondSize = secondSize;
    return true;
}

void FreeBlock(void* block) {
    if (block) LocalFree(block);
}

// Runs one plug-in call under the guard; false (and the plug-in disabled)
// when it faulted.
template <typename Call>
bool Run(Session& s, const host::Request& request, Call&& call) {
    if (Guarded(call) == 0) return true;
    s.plugins[request.slot].disabled = true;
    return false;
}

void Load(Session& s, const host::Request& request, host::Answer& answer) {
    std::wstring path(request.text.size() / sizeof(wchar_t), L'\0');
    memcpy(&path[0], request.text.data(), path.size() * sizeof(wchar_t));
    // A plug-in whose start-up code crashes takes this host, not the viewer.
    HMODULE module = path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        answer.kind = host::kMissing;
        return;
    }
    answer.result = static_cast<int32_t>(s.plugins.size());
    s.plugins.push_back(Plugin{module, false});
}

// Answers one request; `answer.kind` is kAnswered unless it says otherwise.
void Answer(Session& s, const host::Request& request, host::Answer& answer) {
    const char* path = request.text.c_str();
    bool ran = true;
    switch (request.call) {
        case host::kLoad:
            Load(s, request, answer);
            return;
        case host::kInfo: {
            auto getInfo = Export<spi::GetPluginInfoFn>(s, request, "GetPluginInfo");
            if (!getInfo) break;
            std::vector<char> text(host::kMaxText, '\0');
            ran = Run(s, request, [&] { answer.result = getInfo(request.number, text.data(), host::kMaxText); });
            if (ran) answer.text = std::string(text.data(), strnlen(text.data(), host::kMaxText - 1));
            break;
        }
        case host::kIsSupported: {
            auto isSupported = Export<spi::IsSupportedFn>(s, request, "IsSupported");
            if (!isSupported || request.bytes.size() != spi::kHostHeadSize) break;
            uint8_t head[spi::kHostHeadSize];
            memcpy(head, request.bytes.data(), sizeof head);
            ran = Run(s, request, [&] { answer.result = isSupported(path, reinterpret_cast<uintptr_t>(head)); });
            break;
        }
        case host::kPicture:
        case host::kPreview: {
            // The picture's record and the picture in one exchange; the
            // record's result is not looked at, as in the viewer's process.
            auto getInfo = Export<spi::GetPictureInfoFn>(s, request, "GetPictureInfo");
            auto get = Export<spi::GetPictureFn>(s, request, request.call == host::kPicture ? "GetPicture"
                                                                                             : "GetPreview");
            if (!getInfo || !get) break;
            spi::PictureInfoRecord record = {};
            ran = Run(s, request, [&] { getInfo(path, 0, spi::kInputFile, &record); });
            if (!ran) break;
            FreeBlock(reinterpret_cast<void*>(record.textHandle));
            const int32_t values[7] = {record.left,     record.top,      record.width,     record.height,
                                       record.xDensity, record.yDensity, record.colorDepth};
            memcpy(answer.values, values, sizeof values);
            void* info = nullptr;
            void* bits = nullptr;
            ran = Run(s, request, [&] {
                answer.result = get(path, 0, spi::kInputFile, &info, &bits, ForwardProgress, 0);
            });
            if (!ran) break;
            if (answer.result == spi::kSuccess && (!info || !bits || !ShareBlocks(s, info, bits, answer))) {
                answer.result = spi::kMemoryError;
            }
            s.spent[0] = info;
            s.spent[1] = bits;
            break;
        }
        case host::kArchiveInfo:
        case host::kFileToMemory: {
            auto getList = Export<spi::GetArchiveInfoFn>(s, request, "GetArchiveInfo");
            auto getFile = Export<spi::GetFileFn>(s, request, "GetFile");
            if (request.call == host::kArchiveInfo ? !getList : !getFile) break;
            void* block = nullptr;
            ran = Run(s, request, [&] {
                answer.result = request.call == host::kArchiveInfo
                                    ? getList(path, 0, spi::kInputFile, &block)
                                    : getFile(path, static_cast<intptr_t>(request.position), &block,
                                              spi::kInputFile | spi::kOutputMemory, ForwardProgress, 0);
            });
            if (!ran) break;
            if (answer.result == spi::kSuccess && block) ShareBlocks(s, block, nullptr, answer);
            s.spent[0] = block;
            break;
        }
        case host::kFileToFolder: {
            auto getFile = Export<spi::GetFileFn>(s, request, "GetFile");
            if (!getFile) break;
            std::string folder = request.folder;
            ran = Run(s, request, [&] {
                answer.result = getFile(path, static_cast<intptr_t>(request.position), &folder[0],
                                        spi::kInputFile | spi::kOutputFile, ForwardProgress, 0);
            });
            break;
        }
        case host::kConfigure: {
            typedef int32_t(SPI_API * ConfigurationFn)(HWND, int32_t);
            auto configure = Export<ConfigurationFn>(s, request, "ConfigurationDlg");
            if (!configure) break;
            HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(request.window));
            ran = Run(s, request, [&] { answer.result = configure(owner, request.number); });
            break;
        }
        default:
            break;
    }
    if (!ran) answer.kind = host::kFaulted;
}

bool Exported(Session& s, const host::Request& request) {
    static const char* const kNames[] = {nullptr,      nullptr,          "GetPluginInfo", "IsSupported",
                                         "GetPicture", "GetPreview",     "GetArchiveInfo", "GetFile",
                                         "GetFile",    "ConfigurationDlg"};
    if (request.call == host::kLoad) return true;
    if (request.call >= sizeof kNames / sizeof kNames[0] || !kNames[request.call]) return false;
    const bool picture = request.call == host::kPicture || request.call == host::kPreview;
    return Export<FARPROC>(s, request, kNames[request.call]) != nullptr &&
           (!picture || Export<FARPROC>(s, request, "GetPictureInfo") != nullptr);
}

}  // namespace

void ServeViewer(HANDLE pipe) {
    Session s = {pipe, {}, {}, {}, {}};
    session = &s;
    host::Request request;
    while (ReadRequest(pipe, request)) {
        CloseSection(s.once);
        host::Answer answer;
        answer.kind = Exported(s, request) ? host::kAnswered : host::kMissing;
        if (answer.kind == host::kAnswered) Answer(s, request, answer);
        const bool written = WriteAll(pipe, host::EncodeAnswer(answer));
        for (void*& block : s.spent) {
            FreeBlock(block);
            block = nullptr;
        }
        if (!written) break;
    }
}
