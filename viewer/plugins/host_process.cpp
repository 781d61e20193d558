// The plug-in host processes; see host_process.h. The viewer's end of each
// pipe is overlapped, so that the window's thread waits for the host and for
// its own input at once; the host's end is plain.
#include "viewer/plugins/host_process.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

#include "viewer/plugins/plugin_rules.h"

namespace {

struct HostProcess {
    HANDLE process = nullptr;
    HANDLE pipe = nullptr;
    HANDLE event = nullptr;  // of the overlapped reads and writes
    uint32_t start = 0;
    // The view of the section the host keeps for its answers, with the
    // section's handle in the host and its size.
    const uint8_t* keptView = nullptr;
    uint64_t keptSection = 0;
    uint64_t keptSize = 0;
};

// One host per bitness; only the window's thread calls plug-ins.
HostProcess hosts[2];
HANDLE job = nullptr;
uint32_t starts = 0;
wchar_t hostFolder[MAX_PATH] = L"";

HostProcess* HostFor(uint16_t machine) {
    if (machine == kMachineI386) return &hosts[0];
    if (machine == kMachineAmd64) return &hosts[1];
    return nullptr;
}

void CloseHost(HostProcess& host) {
    if (host.process) {
        TerminateProcess(host.process, 1);
        CloseHandle(host.process);
    }
    if (host.pipe) CloseHandle(host.pipe);
    if (host.event) CloseHandle(host.event);
    if (host.keptView) UnmapViewOfFile(host.keptView);
    host = HostProcess{};
}

// A job that ends its processes when its last handle closes, the viewer's own
// at its end included. Where none can be made (a job that allows no nested
// one), the host still ends when its pipe breaks.
HANDLE HostJob() {
    if (job) return job;
    job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// A pipe under a name of this start's own, of one instance, which the viewer
// connects to itself at once: no other process can reach it. The client end
// is inheritable, for the host alone.
bool MakePipe(HANDLE& server, HANDLE& client) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        wchar_t name[96];
        swprintf(name, 96, L"\\\\.\\pipe\\Oxel-%lu-%llx-%u", GetCurrentProcessId(),
                 static_cast<unsigned long long>(counter.QuadPart), static_cast<unsigned>(attempt));
        server = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
        if (server == INVALID_HANDLE_VALUE) continue;
        SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
        client = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
        if (client != INVALID_HANDLE_VALUE) return true;
        CloseHandle(server);
    }
    server = client = nullptr;
    return false;
}

bool StartHost(HostProcess& host, uint16_t machine) {
    wchar_t folder[MAX_PATH];
    if (hostFolder[0]) {
        lstrcpynW(folder, hostFolder, MAX_PATH);
    } else {
        GetModuleFileNameW(nullptr, folder, MAX_PATH);
        PathRemoveFileSpecW(folder);
    }
    wchar_t program[MAX_PATH];
    if (!PathCombineW(program, folder,
                      machine == kMachineI386 ? L"OxelPluginHost32.exe" : L"OxelPluginHost64.exe") ||
        GetFileAttributesW(program) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    HANDLE server = nullptr, client = nullptr;
    if (!MakePipe(server, client)) return false;
    wchar_t commandLine[MAX_PATH + 64];
    swprintf(commandLine, MAX_PATH + 64, L"\"%ls\" %llu", program,
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(client)));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const BOOL made = CreateProcessW(program, commandLine, nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                     folder, &startup, &started);
    CloseHandle(client);
    if (!made) {
        CloseHandle(server);
        return false;
    }
    if (HANDLE hostJob = HostJob()) AssignProcessToJobObject(hostJob, started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    host.process = started.hProcess;
    host.pipe = server;
    host.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    host.start = ++starts;
    if (!host.event) {
        CloseHost(host);
        return false;
    }
    return true;
}

// Waits for an overlapped read or write of the pipe while the window's input
// is taken as inside a progress callback; false when the host ended or was
// ended meanwhile.
bool Finish(HostProcess& host, OVERLAPPED& pending, HostWait wait, PluginCallInput& input, DWORD& done) {
    const DWORD wake = QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | (wait == HostWait::kDialog ? QS_SENDMESSAGE : 0);
    for (;;) {
        HANDLE handles[2] = {pending.hEvent, host.process};
        const DWORD woke = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, wake);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_OBJECT_0 + 1) {
            if (GetOverlappedResult(host.pipe, &pending, &done, FALSE)) return true;
            // Ended with the operation still pending: it must be over before
            // its record goes.
            CancelIo(host.pipe);
            GetOverlappedResult(host.pipe, &pending, &done, TRUE);
            return false;
        }
        if (woke != WAIT_OBJECT_0 + 2) {
            TerminateProcess(host.process, 1);
            continue;
        }
        MSG message;
        if (wait == HostWait::kDialog) PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        while (TakeOneInput(input)) {
        }
        if (input.escapes >= 2 || input.closing) TerminateProcess(host.process, 1);
    }
}

bool Transfer(HostProcess& host, bool write, void* data, DWORD length, HostWait wait, PluginCallInput& input) {
    auto* bytes = static_cast<uint8_t*>(data);
    while (length > 0) {
        OVERLAPPED pending = {};
        pending.hEvent = host.event;
        ResetEvent(host.event);
        DWORD done = 0;
        const BOOL now = write ? WriteFile(host.pipe, bytes, length, &done, &pending)
                               : ReadFile(host.pipe, bytes, length, &done, &pending);
        if (!now) {
            if (GetLastError() != ERROR_IO_PENDING) return false;
            if (!Finish(host, pending, wait, input, done)) return false;
        } else if (!GetOverlappedResult(host.pipe, &pending, &done, FALSE)) {
            return false;
        }
        if (done == 0 || done > length) return false;
        bytes += done;
        length -= done;
    }
    return true;
}

bool Send(HostProcess& host, const host::Request& request, HostWait wait, PluginCallInput& input) {
    std::vector<uint8_t> message = host::EncodeRequest(request);
    return Transfer(host, true, message.data(), static_cast<DWORD>(message.size()), wait, input);
}

bool Receive(HostProcess& host, HostWait wait, PluginCallInput& input, host::Answer& answer) {
    uint8_t header[host::kHeaderBytes];
    uint32_t kind = 0, length = 0;
    if (!Transfer(host, false, header, sizeof header, wait, input) || !host::ReadHeader(header, kind, length)) {
        return false;
    }
    std::vector<uint8_t> body(length);
    return (length == 0 || Transfer(host, false, body.data(), length, wait, input)) &&
           host::DecodeAnswer(kind, body.data(), length, answer);
}

}  // namespace

void SetPluginHostFolder(const wchar_t* folder) { lstrcpynW(hostFolder, folder ? folder : L"", MAX_PATH); }

HostOutcome ExchangeWithHost(uint16_t machine, const host::Request& request, HostWait wait, host::Answer& answer) {
    HostProcess* host = HostFor(machine);
    if (!host) return HostOutcome::kLost;
    if (!host->process && !StartHost(*host, machine)) return HostOutcome::kLost;
    PluginCallInput input = {};
    bool sound = Send(*host, request, wait, input);
    while (sound) {
        sound = Receive(*host, wait, input, answer);
        if (!sound || answer.kind != host::kProgress) break;
        // The plug-in's progress callback, answered as in this process: one
        // waiting press dropped, and a stop once Esc was pressed.
        TakeOneInput(input);
        host::Request reply;
        reply.call = input.escapes > 0 ? host::kProgressStop : host::kProgressGoOn;
        sound = Send(*host, reply, wait, input);
    }
    if (!sound) {
        CloseHost(*host);
        return HostOutcome::kLost;
    }
    if (answer.kind == host::kFaulted) return HostOutcome::kFaulted;
    if (answer.kind == host::kMissing) return HostOutcome::kMissing;
    return HostOutcome::kAnswered;
}

uint32_t HostStart(uint16_t machine) {
    HostProcess* host = HostFor(machine);
    return host ? host->start : 0;
}

SectionView::~SectionView() {
    if (bytes && !lent) UnmapViewOfFile(bytes);
}

namespace {

// The handle is a number in the host's table: whatever it names there, only a
// section of at least the size asked for maps.
const uint8_t* MapSection(HostProcess& host, const host::Answer& answer) {
    HANDLE section = nullptr;
    if (!DuplicateHandle(host.process, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(answer.section)),
                         GetCurrentProcess(), &section, FILE_MAP_READ, FALSE, 0)) {
        return nullptr;
    }
    void* bytes = MapViewOfFile(section, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(answer.sectionSize));
    CloseHandle(section);
    if (!bytes) return nullptr;
    MEMORY_BASIC_INFORMATION facts = {};
    if (!VirtualQuery(bytes, &facts, sizeof facts) || facts.RegionSize < answer.sectionSize) {
        UnmapViewOfFile(bytes);
        return nullptr;
    }
    return static_cast<const uint8_t*>(bytes);
}

}  // namespace

bool MapAnswerSection(uint16_t machine, const host::Answer& answer, SectionView& view) {
    HostProcess* host = HostFor(machine);
    const uint64_t largest = sizeof(void*) == 4 ? (uint64_t{1} << 31) : (uint64_t{1} << 40);
    if (!host || !host->process || answer.section == 0 || !host::BlocksFitSection(answer, largest)) return false;
    // The kept section again (a 32-bit viewer, short of address space, keeps
    // only half as large a view). A host that answers another section under
    // the same handle and size makes its picture wrong, nothing worse: the
    // view is still the size it was mapped with.
    const bool kept = answer.sectionSize <= host::kKeptSectionLimit / (sizeof(void*) == 4 ? 2 : 1);
    if (kept && host->keptView && answer.section == host->keptSection && answer.sectionSize == host->keptSize) {
        view.bytes = host->keptView;
    } else {
        view.bytes = MapSection(*host, answer);
        if (!view.bytes) return false;
        if (kept) {
            if (host->keptView) UnmapViewOfFile(host->keptView);
            host->keptView = view.bytes;
            host->keptSection = answer.section;
            host->keptSize = answer.sectionSize;
        }
    }
    view.size = answer.sectionSize;
    view.lent = kept;
    return true;
}

void EndPluginHosts() {
    for (HostProcess& host : hosts) CloseHost(host);
}
