// A small host for the Wine tests: loads glypho.spi (the built deliverable, or a
// copy with a settings file of the test's own), looks up its exports by name as a
// host does, and turns the returned blocks into pixels that the tests inspect.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "spi/susie.h"

namespace glypho_test {

struct Plugin {
    HMODULE module = nullptr;
    std::string path;     // of the .spi
    std::string iniPath;  // its settings file
    spi::GetPluginInfoFn getPluginInfo = nullptr;
    spi::GetPluginInfoWFn getPluginInfoW = nullptr;
    spi::IsSupportedFn isSupported = nullptr;
    spi::IsSupportedWFn isSupportedW = nullptr;
    spi::GetPictureInfoFn getPictureInfo = nullptr;
    spi::GetPictureInfoWFn getPictureInfoW = nullptr;
    spi::GetPictureFn getPicture = nullptr;
    spi::GetPictureWFn getPictureW = nullptr;
    spi::GetPreviewFn getPreview = nullptr;
    spi::GetPreviewWFn getPreviewW = nullptr;
};

// A Windows path for a Unix path (Wine maps / to Z:\).
std::string WinPath(const std::string& unixPath);
std::string EnvPath(const char* name);  // an environment variable's path, as a Windows path

// Loads a module and looks up the ten exports; false when any is missing.
bool LoadPlugin(const std::string& path, Plugin* plugin);

// The plug-in copied once per process to a scratch folder as glypho-test.spi, so
// that the tests can write its settings file (glypho-test.ini) freely.
Plugin& TestPlugin();
std::string ScratchDir();

// Settings of the test copy. ClearSettings empties the three sections.
void ClearSettings();
void SetSetting(const char* section, const char* key, const char* value);
void SetSettingW(const wchar_t* section, const wchar_t* key, const wchar_t* value);

// Debian's fonts, as Windows paths.
extern const char* const kLatinFont;     // DejaVu Sans, TrueType outlines
extern const char* const kJapaneseFont;  // IPAGothic
extern const char* const kCffFont;       // Cabin, CFF outlines
extern const char* const kCollection;    // WenQuanYi Micro Hei, a .ttc

std::vector<uint8_t> ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A decoded picture: the header fields and the rows as the block holds them.
struct Picture {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    uint32_t headerSize = 0;
    uint32_t compression = 0;
    size_t infoBlockSize = 0;
    std::vector<uint8_t> rows;
    size_t stride() const { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }
    // 0xRRGGBB of the pixel at (x, y), y counted from the top.
    uint32_t At(int x, int y) const;
    // Pixels in [x0, x1) x [y0, y1) whose colour differs from `background`.
    int InkIn(int x0, int y0, int x1, int y1, uint32_t background) const;
};

// Takes the two blocks apart into a Picture and frees them as a host does.
void TakePicture(HLOCAL info, HLOCAL bits, Picture* picture);

// Calls GetPicture (or GetPreview) in file mode on `path` and decodes the result.
int32_t PictureOfFile(spi::GetPictureFn fn, const std::string& path, Picture* picture);

// Saves a picture as an RGB PNG file.
bool SavePng(const Picture& picture, const std::string& path);

}  // namespace glypho_test
