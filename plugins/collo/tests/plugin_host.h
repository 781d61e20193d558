// Test host for collo.spi under Wine: loads the built plug-in from the output
// folder with LoadLibraryA and finds its exports by name, as the viewer does,
// and gives each test a fresh folder for the collections it assembles.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "plugins/collo/tests/collection_builder.h"
#include "spi/susie.h"

namespace collo_test {

constexpr uint32_t kMemoryOutput = spi::kOutputMemory;

struct MemberListCopy {
    int32_t result = 0;
    std::vector<spi::ArchiveMemberRecord> records;  // without the terminator
};

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `bytes` as `name` in this test's folder and returns its path.
    std::string WriteCollection(const std::string& name, const Bytes& bytes);
    std::string Folder() const { return folder_; }
    std::string MakeSubfolder(const std::string& name);

    MemberListCopy List(const std::string& path, intptr_t offset = 0);
    // Memory output of GetFile: the result and the member's bytes.
    int32_t GetMember(const std::string& path, intptr_t position, Bytes* member);

    HMODULE module_ = nullptr;
    spi::GetPluginInfoFn getPluginInfo_ = nullptr;
    spi::IsSupportedFn isSupported_ = nullptr;
    spi::GetArchiveInfoFn getArchiveInfo_ = nullptr;
    spi::GetFileInfoFn getFileInfo_ = nullptr;
    spi::GetFileFn getFile_ = nullptr;

private:
    std::string folder_;
};

// The number of fonts that the system finds in a font file held in memory.
int FontsTheSystemAccepts(const Bytes& font);
// What the system reports for one font: 1, or 2 under Wine for a CJK font.
int ExpectedFontCount(const Font& font);

}  // namespace collo_test
