// The plug-in host's byte rules and the archive member rules: module machine
// types, the "IgnoreSpi" substring rule, bitmap blocks that must hold what
// their header says, hostile member names and the member search order.
#include "viewer/plugins/plugin_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> PeHead(uint32_t peOffset, uint16_t machine) {
    std::vector<uint8_t> b(512, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, peOffset);
    if (peOffset + 6 <= b.size()) {
        memcpy(&b[peOffset], "PE\0\0", 4);
        b[peOffset + 4] = static_cast<uint8_t>(machine);
        b[peOffset + 5] = static_cast<uint8_t>(machine >> 8);
    }
    return b;
}

TEST(PeMachine, ReadsTheHeaderThatTheDosHeaderPointsTo) {
    EXPECT_EQ(PeMachine(PeHead(0x80, kMachineI386).data(), 512), kMachineI386);
    EXPECT_EQ(PeMachine(PeHead(0x100, kMachineAmd64).data(), 512), kMachineAmd64);
    std::vector<uint8_t> b = PeHead(0x80, kMachineAmd64);
    EXPECT_EQ(PeMachine(b.data(), 0x85), 0);  // cut inside the machine field
    EXPECT_EQ(PeMachine(PeHead(0xFFFFFFF0u, kMachineI386).data(), 512), 0);
    b[0x80] = 'X';
    EXPECT_EQ(PeMachine(b.data(), 512), 0);
    EXPECT_EQ(PeMachine(nullptr, 0), 0);
}

TEST(IsIgnoredPlugin, WholeNameAnywhereInTheText) {
    EXPECT_TRUE(IsIgnoredPlugin("glypho.spi", "glypho.spi"));
    EXPECT_TRUE(IsIgnoredPlugin("o.spi", "glypho.spi"));  // a substring is enough
    EXPECT_TRUE(IsIgnoredPlugin("collo.spi", "a.spi,collo.spi;b"));
    EXPECT_FALSE(IsIgnoredPlugin("Collo.spi", "collo.spi"));  // case counts
    EXPECT_FALSE(IsIgnoredPlugin("collo.spi", ""));
    EXPECT_FALSE(IsIgnoredPlugin("", "collo.spi"));
}

std::vector<uint8_t> Info(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t used,
                          size_t extra) {
    std::vector<uint8_t> b(40 + extra, 0);
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<uint32_t>(width));
    Put32(b, 8, static_cast<uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<uint8_t>(bits);
    Put32(b, 16, compression);
    Put32(b, 32, used);
    return b;
}

TEST(DibBlocksFit, HeaderTableAndRowsMustBeInside) {
    struct Case {
        int32_t width, height;
        uint16_t bits;
        uint32_t compression, used;
        size_t extra, bitsSize;
        bool fits;
    } cases[] = {
        {3, 2, 24, 0, 0, 0, 24, true},        // rows of 9 bytes padded to 12
        {3, 2, 24, 0, 0, 0, 23, false},
        {3, -2, 24, 0, 0, 0, 24, true},       // top-down
        {8, 1, 1, 0, 0, 8, 4, true},          // two colours
        {8, 1, 1, 0, 0, 7, 4, false},
        {2, 2, 8, 0, 16, 64, 8, true},        // sixteen colours used
        {2, 2, 8, 0, 0, 64, 8, false},        // 256 colours expected
        {4, 4, 32, 3, 0, 12, 64, true},       // masks after the header
        {4, 4, 32, 3, 0, 8, 64, false},
        {4, 4, 8, 1, 0, 1024, 64, false},     // run-length coded
        {0, 4, 32, 0, 0, 0, 64, false},
        {4, 0, 32, 0, 0, 0, 64, false},
        {4, 4, 7, 0, 0, 0, 64, false},
        {0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 0, 0, ~size_t{0} >> 1, false},
        {4, INT32_MIN, 32, 0, 0, 0, 64, false},
        {2, 2, 8, 0, 0xFFFFFFFFu, 64, 8, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> info = Info(c.width, c.height, c.bits, c.compression, c.used, c.extra);
        EXPECT_EQ(DibBlocksFit(info.data(), info.size(), c.bitsSize), c.fits)
            << c.width << "x" << c.height << "x" << c.bits << " extra " << c.extra << " bits " << c.bitsSize;
    }
    std::vector<uint8_t> info = Info(3, 2, 24, 0, 0, 0);
    EXPECT_FALSE(DibBlocksFit(info.data(), 39, 24));
    Put32(info, 0, 124);  // a header larger than its block
    EXPECT_FALSE(DibBlocksFit(info.data(), info.size(), 24));
}

std::string Safe(const char* stored) {
    char out[kSafeMemberNameMax + 1];
    return MakeSafeMemberName(stored, out) ? std::string(out) : std::string("<none>");
}

TEST(MakeSafeMemberName, KeepsOnlyABareNameInsideTheFolder) {
    const char* cases[][2] = {
        {"x.png", "x.png"},
        {"dir/sub/x.png", "x.png"},
        {"../x.png", "x.png"},
        {"..\\x.png", "x.png"},
        {"C:\\x.png", "x.png"},
        {"C:x.png", "x.png"},
        {"/abs/x.png", "x.png"},
        {"a/../../x.png", "x.png"},
        {"x.png:stream", "stream"},
        {"CON.png", "_CON.png"},
        {"nul", "_nul"},
        {"com1.jpg", "_com1.jpg"},
        {"COM10.jpg", "COM10.jpg"},
        {"lpt9 .gif", "_lpt9.gif"},
        {"my picture .gif", "my picture.gif"},
        {"console.png", "console.png"},
        {"x.png. . ", "x.png"},
        {"..", "<none>"},
        {"dir/", "<none>"},
        {"", "<none>"},
        {"a?b*c<d>|\"e.png", "a_b_c_d___e.png"},
        {"\x83\x65\x83\x58\x83\x67.png", "_e_X_g.png"},  // DBCS trail bytes stay what they are
        {"tab\there.png", "tab_here.png"},
    };
    for (auto& c : cases) EXPECT_EQ(Safe(c[0]), c[1]) << c[0];
}

TEST(MakeSafeMemberName, LongNamesAreCutKeepingTheExtension) {
    std::string name(300, 'a');
    std::string safe = Safe((name + ".png").c_str());
    EXPECT_EQ(safe.size(), kSafeMemberNameMax);
    EXPECT_EQ(safe.substr(safe.size() - 4), ".png");
    safe = Safe(("CON" + name + ".png").c_str());  // not a device: CON is only its start
    EXPECT_EQ(safe.size(), kSafeMemberNameMax);
    safe = Safe(("x." + name).c_str());  // an over-long extension is cut like a stem
    EXPECT_EQ(safe.size(), kSafeMemberNameMax);
    // A cut that leaves a device name and blanks: the name is tested as cut.
    const std::string blanks(200, ' ');
    const std::pair<std::string, std::string> devices[] = {
        {"CON" + blanks + "x.png", "_CON.png"},
        {"nul" + blanks + "x", "_nul"},
        {"Com1" + blanks + "x." + std::string(20, 'e'), "_Com1"},
        {"CON" + std::string(76, ' ') + "x.png", "_CON.png"},
        {"CONa" + blanks + "x.png", "CONa.png"},
    };
    for (const auto& device : devices) EXPECT_EQ(Safe(device.first.c_str()), device.second) << device.second;
    EXPECT_STREQ(MemberExtension("x.png"), ".png");
    EXPECT_STREQ(MemberExtension(".png"), "");
    EXPECT_STREQ(MemberExtension("readme"), "");
}

std::vector<int32_t> Order(int32_t count, int32_t start, int direction, int32_t decodes = -1) {
    struct Trial {
        std::vector<int32_t> tried;
        int32_t decodes;
    } trial{{}, decodes};
    int32_t found = SearchArchiveMembers(count, start, direction,
                                         [](int32_t member, void* data) {
                                             Trial& t = *static_cast<Trial*>(data);
                                             t.tried.push_back(member);
                                             return member == t.decodes;
                                         },
                                         &trial);
    EXPECT_EQ(found, decodes >= 0 && !trial.tried.empty() && trial.tried.back() == decodes ? decodes : -1);
    return trial.tried;
}

TEST(SearchArchiveMembers, TriesEachMemberOnceInTheSearchOrder) {
    typedef std::vector<int32_t> V;
    EXPECT_EQ(Order(5, 0, 1), (V{0, 1, 2, 3, 4}));
    EXPECT_EQ(Order(5, 4, -1), (V{4, 3, 2, 1, 0}));
    EXPECT_EQ(Order(5, 2, 1), (V{2, 3, 4, 0}));  // the member before the start is the one shown
    EXPECT_EQ(Order(5, 2, -1), (V{2, 1, 0, 4}));
    EXPECT_EQ(Order(5, 5, 1), (V{0, 1, 2, 3, 4}));   // past the end wraps to the first
    EXPECT_EQ(Order(5, -1, -1), (V{4, 3, 2, 1, 0})); // before the first wraps to the last
    EXPECT_EQ(Order(5, 4, 1), (V{4, 0, 1, 2}));
    EXPECT_EQ(Order(5, 0, -1), (V{0, 4, 3, 2}));
    EXPECT_EQ(Order(5, 99, 1), (V{0, 1, 2, 3, 4}));
    EXPECT_EQ(Order(1, 0, 1), (V{0}));
    EXPECT_EQ(Order(1, 0, -1), (V{0}));
    EXPECT_EQ(Order(5, 0, 0), V{});
    EXPECT_EQ(Order(0, 0, 1), V{});
    EXPECT_EQ(Order(5, 0, 1, 3), (V{0, 1, 2, 3}));  // stops at the first that decodes
}

}  // namespace
