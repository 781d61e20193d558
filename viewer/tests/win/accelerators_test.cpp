// The accelerator table made from a real settings file, read back from the system.
#include "viewer/input/accelerators.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

std::vector<ACCEL> TableFor(const std::string& keySettings) {
    std::wstring path = MakeScratchFolder(L"keys") + L"\\Oxel.ini";
    WriteWholeFile(path, "[KeySetting]\r\n" + keySettings);
    HACCEL table = BuildAcceleratorTable(path.c_str());
    std::vector<ACCEL> entries;
    if (!table) return entries;
    int count = CopyAcceleratorTableW(table, nullptr, 0);
    entries.resize(count);
    CopyAcceleratorTableW(table, entries.data(), count);
    DestroyAcceleratorTable(table);
    return entries;
}

std::vector<ACCEL> EntriesFor(const std::vector<ACCEL>& table, WORD command) {
    std::vector<ACCEL> found;
    for (const ACCEL& a : table)
        if (a.cmd == command) found.push_back(a);
    return found;
}

TEST(BuildAcceleratorTable, MissingFitWidthBindsTheKeypadDivideKey) {
    auto table = TableFor("");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].cmd, 340);
    EXPECT_EQ(table[0].key, VK_DIVIDE);
    EXPECT_EQ(table[0].fVirt & ~0x80, FVIRTKEY);
    EXPECT_TRUE(TableFor("SwitchFitWidth=\r\n").empty());
}

TEST(BuildAcceleratorTable, CombinationsBecomeEntries) {
    auto table = TableFor(
        "Next=RIGHT,SPACE,NUM6\r\nOpen=CTRL+O\r\nPrev=O+CTRL\r\nExit=CTRL+SHIFT+O\r\n"
        "Print=ctrl+p\r\nCopyImage=CTRL + C\r\nLiner=COMMA\r\n");
    auto next = EntriesFor(table, 110);
    ASSERT_EQ(next.size(), 3u);
    EXPECT_EQ(next[0].key, VK_RIGHT);
    EXPECT_EQ(next[1].key, VK_SPACE);
    EXPECT_EQ(next[2].key, VK_NUMPAD6);
    auto open = EntriesFor(table, 100);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].fVirt & ~0x80, FVIRTKEY | FCONTROL);
    EXPECT_EQ(open[0].key, 'O');
    auto prev = EntriesFor(table, 120);
    ASSERT_EQ(prev.size(), 1u);
    EXPECT_EQ(prev[0].fVirt & ~0x80, FVIRTKEY);
    EXPECT_EQ(prev[0].key, 'O');
    auto exit = EntriesFor(table, 160);
    ASSERT_EQ(exit.size(), 1u);
    EXPECT_EQ(exit[0].fVirt & ~0x80, FVIRTKEY | FCONTROL);
    EXPECT_EQ(exit[0].key, VK_SHIFT);
    EXPECT_EQ(EntriesFor(table, 290)[0].key, 'P');
    EXPECT_EQ(EntriesFor(table, 280)[0].key, 0);
    EXPECT_EQ(EntriesFor(table, 360)[0].key, VK_SEPARATOR);
}

TEST(BuildAcceleratorTable, RowOrderDecidesASharedKey) {
    auto table = TableFor("Prev=SPACE\r\nNext=SPACE\r\n");
    ASSERT_GE(table.size(), 2u);
    EXPECT_EQ(table[0].cmd, 110);  // "Next" comes before "Prev" in the binding table
    EXPECT_EQ(table[1].cmd, 120);
}

TEST(BuildAcceleratorTable, HoldsAtMost256Entries) {
    std::string many;
    for (int i = 0; i < 200; ++i) many += "A,";
    auto table = TableFor("Open=" + many + "\r\nNext=" + many + "\r\n");
    EXPECT_EQ(table.size(), 256u);
}

}  // namespace
