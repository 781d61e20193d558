// The decode path's buffers: a request that no memory can meet is refused as
// a value, with what the buffer held kept, instead of throwing.
#include "viewer/core/buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

// Under AddressSanitizer an allocation past its limit would end the program
// rather than fail as it does on Windows.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

TEST(Buffer, GrowthThatCannotBeHadFailsAndKeepsTheContents) {
    const uint32_t start[3] = {7, 8, 9};
    const struct {
        const char* what;
        std::function<bool(Buffer<uint32_t>&)> grow;
    } rows[] = {
        {"resize past memory", [](Buffer<uint32_t>& b) { return b.Resize(SIZE_MAX / 8); }},
        {"resize past size_t", [](Buffer<uint32_t>& b) { return b.Resize(SIZE_MAX / 2); }},
        {"reserve past memory", [](Buffer<uint32_t>& b) { return b.Reserve(SIZE_MAX / 8 - 1); }},
        {"append past size_t", [](Buffer<uint32_t>& b) { return b.Append(b.data(), SIZE_MAX / 4 - 1); }},
        {"fill past memory", [](Buffer<uint32_t>& b) { return b.Fill(1, SIZE_MAX / 8); }},
    };
    for (const auto& row : rows) {
        Buffer<uint32_t> buffer;
        ASSERT_TRUE(buffer.Append(start, 3));
        EXPECT_FALSE(row.grow(buffer)) << row.what;
        ASSERT_EQ(buffer.size(), 3u) << row.what;
        EXPECT_EQ(buffer[0] + buffer[1] + buffer[2], 24u) << row.what;
        // Still usable afterwards.
        EXPECT_TRUE(buffer.Push(10));
        EXPECT_TRUE(buffer.Resize(1000));
        EXPECT_EQ(buffer[3], 10u);
        EXPECT_EQ(buffer[999], 0u);
    }
}

}  // namespace
