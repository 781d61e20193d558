// The calls into plug-ins in host processes; see hosted_calls.h.
#include "viewer/plugins/hosted_calls.h"

#include <cstring>
#include <vector>

#include "spi/susie.h"
#include "viewer/plugins/host_process.h"
#include "viewer/plugins/plugin_bitmap.h"

namespace {

// Loads the plug-in into the running host when that start has not loaded it.
bool Loaded(PluginEntry& entry, host::Answer& answer) {
    if (entry.disabled) return false;
    if (entry.hostStart != 0 && entry.hostStart == HostStart(entry.hostMachine)) return true;
    host::Request request;
    request.call = host::kLoad;
    request.text.assign(reinterpret_cast<const char*>(entry.path.c_str()), entry.path.size() * sizeof(wchar_t));
    if (ExchangeWithHost(entry.hostMachine, request, HostWait::kDecode, answer) != HostOutcome::kAnswered) {
        entry.disabled = 1;
        return false;
    }
    entry.hostSlot = static_cast<uint32_t>(answer.result);
    entry.hostStart = HostStart(entry.hostMachine);
    return true;
}

// One call: the host's answer, or false when the plug-in has none (a missing
// export) or was disabled by what happened.
bool Call(PluginEntry& entry, host::Request& request, host::Answer& answer, HostWait wait = HostWait::kDecode) {
    if (!Loaded(entry, answer)) return false;
    request.slot = entry.hostSlot;
    switch (ExchangeWithHost(entry.hostMachine, request, wait, answer)) {
        case HostOutcome::kAnswered:
            return true;
        case HostOutcome::kMissing:
            return false;
        case HostOutcome::kFaulted:
        case HostOutcome::kLost:
            break;
    }
    entry.disabled = 1;
    return false;
}

host::Request RequestFor(uint32_t call, const char* ansiPath) {
    host::Request request;
    request.call = call;
    if (ansiPath) request.text = ansiPath;
    return request;
}

// The first block of an answer copied into local memory of this process, as
// the plug-in would have handed it back in process.
HLOCAL LocalCopy(const PluginEntry& entry, const host::Answer& answer) {
    SectionView view;
    if (answer.firstSize == 0 || !MapAnswerSection(entry.hostMachine, answer, view)) return nullptr;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(answer.firstSize));
    void* bytes = block ? LocalLock(block) : nullptr;
    if (!bytes) {
        if (block) LocalFree(block);
        return nullptr;
    }
    memcpy(bytes, view.bytes, static_cast<size_t>(answer.firstSize));
    LocalUnlock(block);
    return block;
}

}  // namespace

int32_t HostedInfo(PluginEntry& entry, int32_t index, char* buffer, int32_t size) {
    host::Request request = RequestFor(host::kInfo, nullptr);
    request.number = index;
    host::Answer answer;
    buffer[0] = '\0';
    if (size <= 0 || !Call(entry, request, answer) || answer.result <= 0) return 0;
    lstrcpynA(buffer, answer.text.c_str(), size);
    return lstrlenA(buffer);
}

bool HostedIsSupported(PluginEntry& entry, const char* ansiPath, const uint8_t* head) {
    host::Request request = RequestFor(host::kIsSupported, ansiPath);
    request.bytes.assign(head, head + spi::kHostHeadSize);
    host::Answer answer;
    return Call(entry, request, answer) && answer.result != 0;
}

HBITMAP HostedPicture(PluginEntry& entry, const char* ansiPath, bool preview, HWND window, DecodedPicture& picture) {
    picture.width = kStatusUnsupported;
    host::Request request = RequestFor(preview ? host::kPreview : host::kPicture, ansiPath);
    host::Answer answer;
    if (!Call(entry, request, answer)) return nullptr;
    picture.frameRect = FramePlacement{answer.values[0], answer.values[1], answer.values[2], answer.values[3]};
    if (answer.result != spi::kSuccess || !host::PictureBlocksPlausible(answer)) return nullptr;
    SectionView view;
    if (!MapAnswerSection(entry.hostMachine, answer, view)) return nullptr;
    // The header is read from a copy: the host could change the section
    // between the check and the use.
    std::vector<uint8_t> info(view.bytes, view.bytes + answer.firstSize);
    DecodedPicture made = picture;
    HBITMAP bitmap = BitmapFromDib(info.data(), info.size(), view.bytes + answer.firstSize,
                                   static_cast<size_t>(answer.secondSize), window, made);
    if (bitmap) picture = made;
    return bitmap;
}

int32_t HostedArchiveInfo(PluginEntry& entry, const char* ansiPath, HLOCAL& list) {
    list = nullptr;
    host::Request request = RequestFor(host::kArchiveInfo, ansiPath);
    host::Answer answer;
    if (!Call(entry, request, answer)) return entry.disabled ? kPluginFaulted : spi::kNotSupported;
    list = LocalCopy(entry, answer);
    return answer.result;
}

int32_t HostedGetFile(PluginEntry& entry, const char* ansiPath, intptr_t position, void* destination, uint32_t flags) {
    const bool toMemory = (flags & spi::kOutputMask) == spi::kOutputMemory;
    host::Request request = RequestFor(toMemory ? host::kFileToMemory : host::kFileToFolder, ansiPath);
    request.position = position;
    if (!toMemory) request.folder = static_cast<const char*>(destination);
    host::Answer answer;
    if (!Call(entry, request, answer)) return entry.disabled ? kPluginFaulted : spi::kNotSupported;
    if (toMemory) *static_cast<HLOCAL*>(destination) = LocalCopy(entry, answer);
    return answer.result;
}

int32_t HostedConfigure(PluginEntry& entry, HWND owner, int32_t function) {
    host::Request request = RequestFor(host::kConfigure, nullptr);
    request.window = reinterpret_cast<uintptr_t>(owner);
    request.number = function;
    host::Answer answer;
    if (!Call(entry, request, answer, HostWait::kDialog)) return entry.disabled ? kPluginFaulted : spi::kNotSupported;
    return answer.result;
}
