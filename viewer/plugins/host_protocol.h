// The messages between the viewer and a plug-in host process, and the checks
// of what a host answers. A request and its answer cross the pipe as a small
// record; pictures, member lists and members come back in a section of shared
// memory that the answer names by its handle in the host. Nothing a host says
// is trusted: every size is checked here against the section that carries it
// before the viewer reads a byte. Free of the Windows API, so that the native
// build tests and fuzzes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Every message starts with its kind and the length of what follows.
constexpr size_t kHeaderBytes = 8;
// The longest message body either side accepts (a request carries a path, a
// folder and a file's head; an answer a plug-in's information string).
constexpr uint32_t kMaxBody = 16384;
// The longest text a message carries.
constexpr uint32_t kMaxText = 4096;
// The longest information block of a picture (header, masks and colours).
constexpr uint64_t kMaxInfoBlock = 65536;
// A host keeps one section of up to this size for its answers, grown when an
// answer needs more, and the viewer keeps its view of it: the pages of a fresh
// section fault in on both sides, which costs as much as the copy itself. An
// answer larger than this gets a section of its own, closed at the next
// request. A kept section only grows, so a section the viewer has seen is
// never answered again under the same handle with the same size.
constexpr uint64_t kKeptSectionLimit = uint64_t{256} << 20;
// A kept section grows to a multiple of this.
constexpr uint64_t kSectionGranule = uint64_t{1} << 20;

// What the viewer asks. A plug-in is named by its slot, the number that kLoad
// answered for it.
enum Call : uint32_t {
    kLoad = 1,       // text: the module's path (UTF-16); answers the slot
    kInfo,           // number: the information index
    kIsSupported,    // text: the ANSI path; bytes: the file's head
    kPicture,        // text: the ANSI path; answers the picture record's numbers and the two blocks
    kPreview,        // the same through GetPreview
    kArchiveInfo,    // text: the ANSI path; answers the member list
    kFileToMemory,   // text: the ANSI path; position: the member's; answers the member
    kFileToFolder,   // the same, written by the plug-in into `folder`
    kConfigure,      // window: the owner; number: the dialog's function
    kProgressGoOn,   // the answer to a progress report: go on
    kProgressStop,   // ... or stop
};

// What the host answers.
enum AnswerKind : uint32_t {
    kAnswered = 100,  // the call returned `result`
    kFaulted,         // the call raised an exception; the plug-in is asked no more
    kMissing,         // no such plug-in or export
    kProgress,        // a progress report inside the call: values[0] step, values[1] total
};

struct Request {
    uint32_t call = 0;
    uint32_t slot = 0;
    int32_t number = 0;
    int64_t position = 0;
    uint64_t window = 0;
    std::string text;
    std::string folder;
    std::vector<uint8_t> bytes;
};

struct Answer {
    uint32_t kind = 0;
    int32_t result = 0;
    int32_t values[7] = {};  // picture record: left, top, width, height, densities, depth; or progress
    uint64_t section = 0;    // handle of the shared section in the host, 0 for none
    uint64_t sectionSize = 0;
    uint64_t firstSize = 0;  // the information block, the member list or the member, at offset 0
    uint64_t secondSize = 0; // the pixel block, just after the first
    std::string text;
};

// A whole message (header and body).
std::vector<uint8_t> EncodeRequest(const Request& request);
std::vector<uint8_t> EncodeAnswer(const Answer& answer);

// The body's length from a message header; false when it is no message of
// this protocol or longer than kMaxBody.
bool ReadHeader(const uint8_t (&header)[kHeaderBytes], uint32_t& kind, uint32_t& length);

// A message body as the header announced it; false when it does not hold
// exactly one well-formed record of `kind`.
bool DecodeRequest(uint32_t kind, const uint8_t* body, size_t length, Request& request);
bool DecodeAnswer(uint32_t kind, const uint8_t* body, size_t length, Answer& answer);

// Whether the answer's blocks lie inside its section, the section within
// `largestSection` bytes, and no block is present without a section. The
// viewer maps exactly `sectionSize` bytes, which fails when the section is
// smaller than the host claims.
bool BlocksFitSection(const Answer& answer, uint64_t largestSection);

// Whether a picture answer's blocks are as a picture needs: both present, the
// information block no longer than kMaxInfoBlock.
bool PictureBlocksPlausible(const Answer& answer);

}  // namespace host
