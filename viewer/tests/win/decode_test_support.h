// Helpers of the decoding tests: a decoded picture that frees itself, and for
// the plug-in host and archive tests a scratch plug-in folder with a settings
// file naming it, the plug-ins loaded from it, and decoding through them as the
// viewer does.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/plugins/plugin_host.h"

// The test plug-ins and the archives made at build time.
inline std::wstring TestPlugin(const wchar_t* name) {
    return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-plugins\\" + name;
}
inline std::wstring TestArchive(const wchar_t* name) {
    return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-archives\\" + name;
}

struct Decoded {
    DecodedPicture picture = {};
    DecodeState state = {};
    HBITMAP bitmap = nullptr;
    Decoded() = default;
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    ~Decoded() {
        if (bitmap) DeleteObject(bitmap);
        FreeFileBuffer(state);
    }
};

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeScratchFolder(L"plugins"); }
    void TearDown() override {
        FreePlugins(plugins_);
        SetEnvironmentVariableA("OXEL_TEST_FAULT", nullptr);
        SetEnvironmentVariableA("OXEL_TEST_NO_MEMORY", nullptr);
    }

    // Copies a plug-in into the plug-in folder under `name`.
    void Install(const std::wstring& source, const wchar_t* name) {
        ASSERT_TRUE(CopyFileW(source.c_str(), (folder_ + L"\\" + name).c_str(), FALSE)) << name;
    }

    // Writes the settings file (its plug-in folder `spiDir`, or ours when
    // empty) and loads the plug-ins and the settings from it.
    void Load(const std::string& systemSettings = "", const std::wstring& spiDir = L"") {
        std::wstring dir = spiDir.empty() ? folder_ : spiDir;
        std::string text = "[SystemSetting]\r\nSpiDir=" + std::string(dir.begin(), dir.end()) + "\r\n" + systemSettings;
        ini_ = folder_ + L"\\Oxel.ini";
        ASSERT_TRUE(WriteWholeFile(ini_, text));
        // The host programs are in the output folder.
        LoadPlugins(PathFromEnvironment("OXEL_OUT_DIR").c_str(), ini_.c_str(), plugins_);
        settings_ = LoadSettings(ini_.c_str());
    }

    void Decode(const std::wstring& path, Decoded& out, int32_t subIndex = 0, int direction = 1) {
        if (out.bitmap) DeleteObject(out.bitmap);
        out.state.subIndex = subIndex;
        out.bitmap = DecodePicture(path.c_str(), out.state, settings_, plugins_, nullptr, direction, out.picture);
    }

    ComApartment com_;
    std::wstring folder_;
    std::wstring ini_;
    PluginList plugins_;
    Settings settings_ = {};
};

// The pixel at (x, y) of any bitmap, as 0x00RRGGBB.
inline uint32_t PixelAt(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Files in the temporary folder of extracted members.
int FilesInTemporaryFolder();
