// Splitting of command lines; see command_line.h.
#include "viewer/app/command_line.h"

namespace {

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

// Position just after the first occurrence of `marker` (ASCII, case ignored),
// or npos.
size_t FindAfter(const std::wstring& text, const wchar_t* marker) {
    size_t length = 0;
    while (marker[length]) ++length;
    if (text.size() < length) return std::wstring::npos;
    for (size_t at = 0; at + length <= text.size(); ++at) {
        size_t i = 0;
        while (i < length && AsciiLower(text[at + i]) == marker[i]) ++i;
        if (i == length) return at + length;
    }
    return std::wstring::npos;
}

// The part after the program name when the name has no ".exe": the system ends
// a quoted name at its closing quote and a plain one at the first blank or tab.
size_t EndOfProgramName(const std::wstring& line) {
    if (!line.empty() && line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        return close == std::wstring::npos ? line.size() : close + 1;
    }
    size_t blank = line.find_first_of(L" \t");
    return blank == std::wstring::npos ? line.size() : blank;
}

// What follows the program name: from a blank followed by a quote on, the
// quoted part; then the quotes themselves; then leading blanks.
std::wstring ArgumentPart(std::wstring rest) {
    size_t blankQuote = rest.find(L" \"");
    if (blankQuote != std::wstring::npos) rest.erase(0, blankQuote + 1);
    if (rest.find(L'"') != std::wstring::npos) {
        rest.erase(0, 1);
        if (!rest.empty()) rest.pop_back();
    }
    size_t first = rest.find_first_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : rest.substr(first);
}

}  // namespace

std::wstring CommandLinePath(const std::wstring& commandLine) {
    size_t start = FindAfter(commandLine, L".exe ");
    if (start == std::wstring::npos) start = FindAfter(commandLine, L".exe\" ");
    if (start == std::wstring::npos) start = EndOfProgramName(commandLine);
    return ArgumentPart(commandLine.substr(start));
}

std::wstring HandoverPath(const std::wstring& arguments) {
    size_t first = arguments.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    size_t last = arguments.find_last_not_of(L" \t");
    return ArgumentPart(arguments.substr(first, last - first + 1));
}
