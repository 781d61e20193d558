// The plug-in host processes of this viewer: OxelPluginHost32.exe and
// OxelPluginHost64.exe beside the program, each started when a plug-in of its
// bitness is first called, talked to through a pipe that only this viewer
// holds (the host inherits its end), and kept in a job object that ends it
// when the viewer ends. While the viewer waits for an answer its window's
// input is treated as inside a progress callback: dropped, an Esc asks the
// plug-in to stop, and a second Esc or a close ends the host.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/plugins/host_protocol.h"
#include "viewer/plugins/plugin_input.h"

// The folder that holds the host programs (the program's folder; empty: the
// folder of this program's own module).
void SetPluginHostFolder(const wchar_t* folder);

enum class HostOutcome {
    kAnswered,  // `answer` holds the host's answer
    kFaulted,   // the plug-in faulted inside the call
    kMissing,   // the host has no such plug-in or export
    kLost,      // no host could be started, it ended, or it broke the protocol
};

// How the wait for an answer treats messages sent to the window: a plug-in's
// dialog, owned by the window, needs them delivered; a decode does not.
enum class HostWait { kDecode, kDialog };

// Sends `request` to the host for `machine`, starting one when none runs,
// answers its progress reports, and returns its answer. A host that is lost
// is ended; the next exchange starts another.
HostOutcome ExchangeWithHost(uint16_t machine, const host::Request& request, HostWait wait, host::Answer& answer);

// Which start of the host for `machine` is running (0: none). A plug-in
// loaded by another start must be loaded again.
uint32_t HostStart(uint16_t machine);

// A read-only view of an answer's shared section, exactly as large as the
// answer says. The view of the host's kept section stays mapped for its next
// answers and is only lent; any other is unmapped when this goes. Either is
// good until the next exchange with that host.
struct SectionView {
    const uint8_t* bytes = nullptr;
    uint64_t size = 0;
    bool lent = false;
    SectionView() = default;
    SectionView(const SectionView&) = delete;
    SectionView& operator=(const SectionView&) = delete;
    ~SectionView();
};

// Maps the section the answer names from the host for `machine`; false when
// there is none, when the blocks do not fit it, or when it cannot be mapped.
bool MapAnswerSection(uint16_t machine, const host::Answer& answer, SectionView& view);

// Ends every host (at close, or when the plug-ins are loaded again).
void EndPluginHosts();
