// Splitting of the process command line and of the text a second instance hands
// over into the one path to open.
#include "viewer/app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    const wchar_t* line;
    const wchar_t* path;
};

TEST(CommandLinePath, FormsOfTheProcessCommandLine) {
    const LineCase cases[] = {
        {L"\"C:\\Oxel\\Oxel.exe\" ", L""},
        {L"\"C:\\Oxel\\Oxel.exe\" \"C:\\My Pictures\\a b.png\"", L"C:\\My Pictures\\a b.png"},
        {L"\"C:\\Oxel\\Oxel.exe\" C:\\p\\a.png", L"C:\\p\\a.png"},
        {L"C:\\Oxel\\Oxel.exe C:\\p\\a.png", L"C:\\p\\a.png"},
        {L"C:\\Oxel\\Oxel.exe \"C:\\p q\\a.png\"", L"C:\\p q\\a.png"},
        {L"C:\\Oxel\\Oxel.exe   C:\\p\\a.png", L"C:\\p\\a.png"},
        // Short names come in capitals.
        {L"C:\\PROGRA~1\\OXEL\\OXEL.EXE C:\\p\\a.png", L"C:\\p\\a.png"},
        {L"\"C:\\Program Files\\Oxel\\Oxel.exe\" \"C:\\x y\\z.jpg\"", L"C:\\x y\\z.jpg"},
        // Of two quoted arguments the last one counts.
        {L"\"C:\\Oxel.exe\" \"C:\\a.png\" \"C:\\b.png\"", L"C:\\b.png"},
    };
    for (const LineCase& c : cases) EXPECT_EQ(CommandLinePath(c.line), c.path) << c.line;
}

TEST(CommandLinePath, ProgramNamedWithoutExe) {
    const LineCase cases[] = {
        {L"Oxel", L""},
        {L"\"C:\\Oxel\\Oxel.exe\"", L""},
        {L"\"C:\\Oxel\\Oxel\"", L""},
        {L"Oxel C:\\p\\a.png", L"C:\\p\\a.png"},
        {L"Oxel \"C:\\p q\\a.png\"", L"C:\\p q\\a.png"},
        {L"\"C:\\My Tools\\Oxel\" \"C:\\p q\\a.png\"", L"C:\\p q\\a.png"},
        {L"\"C:\\unclosed", L""},
        {L"", L""},
    };
    for (const LineCase& c : cases) EXPECT_EQ(CommandLinePath(c.line), c.path) << c.line;
}

TEST(HandoverPath, QuotedPlainAndEmptyTexts) {
    const LineCase cases[] = {
        {L"\"C:\\p\\a b.png\"", L"C:\\p\\a b.png"},
        {L"C:\\p\\a.png", L"C:\\p\\a.png"},
        {L"  \"C:\\p\\a.png\"  ", L"C:\\p\\a.png"},
        {L"\"C:\\a.png\" \"C:\\b.png\"", L"C:\\b.png"},
        {L"", L""},
        {L"   ", L""},
        {L"\"", L""},
        {L"\"\"", L""},
    };
    for (const LineCase& c : cases) EXPECT_EQ(HandoverPath(c.line), c.path) << c.line;
}

TEST(HandoverPath, AgreesWithTheStartOfTheSecondInstance) {
    for (const wchar_t* arguments : {L"\"C:\\p q\\a.png\"", L"C:\\p\\a.png", L"\"C:\\a.png\" \"C:\\b.png\""}) {
        std::wstring line = std::wstring(L"\"C:\\Oxel\\Oxel.exe\" ") + arguments;
        EXPECT_EQ(HandoverPath(arguments), CommandLinePath(line)) << arguments;
    }
}

}  // namespace
