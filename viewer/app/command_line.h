// Where the path to open comes from in the text of a command line: the whole
// process command line at start, or the text a second instance handed over.
// Pure text work, so that every odd form of a command line is tested natively.
#pragma once

#include <string>

// The path named by the process command line (program path included), or an
// empty text. The program name ends at the first ".exe " or ".exe\" " (case
// ignored); a line with neither is split where the system itself ends the
// program name: at the closing quote of a quoted name, else at the first blank.
std::wstring CommandLinePath(const std::wstring& commandLine);

// The path in the arguments part of a command line (the program name already
// removed, as a second instance hands it over), by the same rules that apply
// after the program name at start, so both instances open the same path; a
// plain unquoted path is kept whole. Blanks around the text are dropped.
std::wstring HandoverPath(const std::wstring& arguments);
