// Key names, file-manager key texts and the accelerator entries made from
// "KeySetting" values.
#include "viewer/core/key_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(KeyCode, NamesAndPatternsGiveTheirVirtualKeys) {
    struct Row {
        const wchar_t* name;
        int code;
    } rows[] = {
        {L"BS", 8},        {L"backspace", 8}, {L"TAB", 9},       {L"Return", 13},   {L"esc", 27},
        {L"SP", 32},       {L"pgdown", 34},   {L"NEXT", 34},     {L"PRIOR", 33},    {L"home", 36},
        {L"END", 35},      {L"ins", 45},      {L"Del", 46},      {L"LEFT", 37},     {L"up", 38},
        {L"RIGHT", 39},    {L"DOWN", 40},     {L"NUMPAD0", 96},  {L"num9", 105},    {L"NUM6", 102},
        {L"PLUS", 107},    {L"MINUS", 109},   {L"ASTERISK", 106}, {L"SLASH", 111},  {L"PERIOD", 110},
        {L"COMMA", 108},   {L"CAMMA", 108},   {L"F1", 112},      {L"f12", 123},     {L"0", 48},
        {L"9", 57},        {L"a", 65},        {L"Z", 90},        {L"SHIFT", 16},    {L"control", 17},
        {L"ALT", 18},
    };
    for (const Row& row : rows) EXPECT_EQ(KeyCode(row.name), row.code) << std::wstring(row.name).size();
}

TEST(KeyCode, AnythingElseIsZero) {
    const wchar_t* names[] = {L"", L" A", L"A ", L"F13", L"F0", L"F01", L"NUM10", L"NUMPAD", L"+",
                              L",", L"AB", L"\x3042", L"CTRL ", L"ENTERX"};
    for (const wchar_t* name : names) EXPECT_EQ(KeyCode(name), 0);
    EXPECT_EQ(KeyCode(nullptr), 0);
}

TEST(ParseKeyText, ModifierMayComeFirstOrSecond) {
    KeyPair a = ParseKeyText(L"SHIFT+DOWN");
    KeyPair b = ParseKeyText(L"DOWN+SHIFT");
    EXPECT_EQ(a.modifier, 16);
    EXPECT_EQ(a.key, 40);
    EXPECT_EQ(b.modifier, 16);
    EXPECT_EQ(b.key, 40);
    KeyPair plain = ParseKeyText(L"DOWN");
    EXPECT_EQ(plain.modifier, 0);
    EXPECT_EQ(plain.key, 40);
    KeyPair unknown = ParseKeyText(L"sideways");
    EXPECT_EQ(unknown.modifier, 0);
    EXPECT_EQ(unknown.key, 0);
    KeyPair third = ParseKeyText(L"CTRL+X+Y");
    EXPECT_EQ(third.modifier, 17);
    EXPECT_EQ(third.key, 'X');
    KeyPair dangling = ParseKeyText(L"CTRL+");
    EXPECT_EQ(dangling.modifier, 17);
    EXPECT_EQ(dangling.key, 0);
}

std::vector<AccelEntry> Bind(const wchar_t* value, uint16_t command = 110) {
    std::vector<AccelEntry> entries;
    AppendKeyBindings(value, command, entries);
    return entries;
}

TEST(AppendKeyBindings, EachCombinationAddsOneEntry) {
    auto entries = Bind(L"RIGHT,SPACE,NUM6");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].key, 39);
    EXPECT_EQ(entries[1].key, 32);
    EXPECT_EQ(entries[2].key, 102);
    for (const AccelEntry& e : entries) {
        EXPECT_EQ(e.flags, kAccelVirtKey);
        EXPECT_EQ(e.command, 110);
    }
    EXPECT_EQ(Bind(L",,A,,").size(), 1u);
    EXPECT_TRUE(Bind(L"").empty());
}

TEST(AppendKeyBindings, OnlyALeadingModifierIsUnderstood) {
    auto ctrlO = Bind(L"CTRL+O");
    ASSERT_EQ(ctrlO.size(), 1u);
    EXPECT_EQ(ctrlO[0].flags, kAccelVirtKey | kAccelControl);
    EXPECT_EQ(ctrlO[0].key, 'O');
    auto lower = Bind(L"ctrl+o");
    EXPECT_EQ(lower[0].flags, 9);
    EXPECT_EQ(lower[0].key, 'O');
    auto reversed = Bind(L"O+CTRL");
    EXPECT_EQ(reversed[0].flags, kAccelVirtKey);
    EXPECT_EQ(reversed[0].key, 'O');
    auto twoModifiers = Bind(L"CTRL+SHIFT+O");
    EXPECT_EQ(twoModifiers[0].flags, 9);
    EXPECT_EQ(twoModifiers[0].key, 16);
    EXPECT_EQ(Bind(L"SHIFT+A")[0].flags, 5);
    EXPECT_EQ(Bind(L"ALT+A")[0].flags, 17);
}

TEST(AppendKeyBindings, UnknownNamesAndBlanksGiveKeyZeroEntries) {
    auto blanks = Bind(L"CTRL + O");
    ASSERT_EQ(blanks.size(), 1u);
    EXPECT_EQ(blanks[0].key, 0);
    auto dangling = Bind(L"CTRL+");
    ASSERT_EQ(dangling.size(), 1u);
    EXPECT_EQ(dangling[0].key, 0);
    EXPECT_EQ(dangling[0].flags, 9);
    EXPECT_EQ(Bind(L"nonsense")[0].key, 0);
}

TEST(AppendKeyBindings, StopsAtTheTableLimit) {
    std::wstring many;
    for (int i = 0; i < 300; ++i) many += L"A,";
    std::vector<AccelEntry> entries;
    AppendKeyBindings(many.c_str(), 100, entries);
    AppendKeyBindings(L"B", 110, entries);
    EXPECT_EQ(entries.size(), kMaxAccelEntries);
    EXPECT_EQ(entries.back().command, 100);
}

TEST(KeyBindingTable, HoldsTheThirtySevenRowsInOrder) {
    const auto& table = KeyBindingTable();
    ASSERT_EQ(table.size(), 37u);
    EXPECT_EQ(std::wstring(table.front().key), L"Open");
    EXPECT_EQ(table.front().command, 100);
    EXPECT_EQ(std::wstring(table[27].key), L"SwitchFitWidth");
    EXPECT_EQ(std::wstring(table[27].defaultValue), L"SLASH");
    EXPECT_EQ(std::wstring(table.back().key), L"Liner");
    EXPECT_EQ(table.back().command, 360);
}

}  // namespace
