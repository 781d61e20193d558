// The lines of the information tooltip that need no system call: the file
// size in bytes, KB or MB, and the modification line. The path and the shell's
// type name come from information.cpp.
#pragma once

#include <cstdint>
#include <string>

// "512Byte" below 1,024 bytes, "1MB" from 1 MiB up, else "2KB"; KB and MB are
// rounded to the nearest whole number.
std::wstring FormatFileSize(uint64_t bytes);

// "Modified:2020/10/23 09:05" (or with the Japanese label), from local time.
std::wstring FormatModifiedLine(bool english, int year, int month, int day, int hour, int minute);

// The four lines: path; type name; size-and-colours text and file size (or the
// file size alone when `sizeAndColors` is empty); the modification line.
std::wstring ComposeInformation(const std::wstring& path, const std::wstring& typeName,
                                const std::wstring& sizeAndColors, const std::wstring& fileSize,
                                const std::wstring& modifiedLine);
