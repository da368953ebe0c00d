// The PNG layer without a window: decoding, row order, colour conversion and
// the refusal of damaged, missing and oversized files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/png.h"
#include "tests/support/test_files.h"

namespace {

using Bytes = std::vector<unsigned char>;

class PngFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        pngSetStandardOrientation(1);
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

// The RGB bytes pngLoadRaw decodes, empty on failure.
Bytes DecodeRaw(const char* path) {
    pngRawInfo raw{};
    if (!pngLoadRaw(path, &raw)) return {};
    Bytes pixels(raw.Data, raw.Data + size_t(raw.Width) * raw.Height * 3);
    std::free(raw.Data);
    return pixels;
}

void WriteBytes(const char* path, const void* bytes, size_t size) {
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), std::streamsize(size));
}

TEST_F(PngFiles, EveryChannelLayoutBecomesRgbInTheChosenRowOrder) {
    // Red over blue: GL's order puts the bottom row first.
    const unsigned char redOverBlue[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
    ASSERT_TRUE(WriteTestPng("data/rows.png", 2, 2, 3, redOverBlue));
    EXPECT_EQ(DecodeRaw("data/rows.png"), (Bytes{0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 0, 0}));
    pngSetStandardOrientation(0);
    EXPECT_EQ(DecodeRaw("data/rows.png"), Bytes(redOverBlue, redOverBlue + 12));

    const struct {
        int channels;
        Bytes pixels, rgb;
    } layouts[] = {
        {1, {10, 200}, {10, 10, 10, 200, 200, 200}},
        {2, {50, 0, 60, 255}, {50, 50, 50, 60, 60, 60}},
        {4, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 5, 6, 7}},
    };
    for (const auto& layout : layouts) {
        ASSERT_TRUE(WriteTestPng("data/layout.png", 2, 1, layout.channels, layout.pixels.data()));
        EXPECT_EQ(DecodeRaw("data/layout.png"), layout.rgb) << layout.channels << " channels";
    }
}

TEST_F(PngFiles, MissingEmptyForeignAndTruncatedFilesFail) {
    EXPECT_TRUE(DecodeRaw("data/none.png").empty());
    EXPECT_TRUE(DecodeRaw(nullptr).empty());
    pngRawInfo raw{};
    EXPECT_EQ(pngLoadRaw("data/none.png", nullptr), 0);
    EXPECT_EQ(pngLoadRaw("data/none.png", &raw), 0);
    EXPECT_EQ(raw.Data, nullptr);
    WriteBytes("data/text.png", "not a picture at all", 20);
    EXPECT_TRUE(DecodeRaw("data/text.png").empty());

    Bytes picture(64 * 64 * 3);
    uint32_t noise = 12345;  // incompressible, so the file is long
    for (unsigned char& byte : picture) byte = (unsigned char)((noise = noise * 1103515245 + 12345) >> 16);
    ASSERT_TRUE(WriteTestPng("data/whole.png", 64, 64, 3, picture.data()));
    std::ifstream whole("data/whole.png", std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(whole), std::istreambuf_iterator<char>()};
    // Every length from empty on; the last 12 bytes are the end chunk, which
    // libpng does not need.
    for (size_t length = 0; length + 12 < bytes.size(); length += 37) {
        WriteBytes("data/cut.png", bytes.data(), length);
        EXPECT_TRUE(DecodeRaw("data/cut.png").empty()) << "length " << length;
    }
}

// Without a GL context to ask, the largest accepted side is 16384 pixels;
// anything wider is refused before its pixels are allocated.
TEST_F(PngFiles, SidesBeyondTheLimitAreRefused) {
    Bytes row(16385 * 3, 7);
    ASSERT_TRUE(WriteTestPng("data/widest.png", 16384, 1, 3, row.data()));
    ASSERT_TRUE(WriteTestPng("data/toowide.png", 16385, 1, 3, row.data()));
    ASSERT_TRUE(WriteTestPng("data/toohigh.png", 1, 16385, 3, row.data()));
    EXPECT_EQ(DecodeRaw("data/widest.png").size(), 16384u * 3);
    EXPECT_TRUE(DecodeRaw("data/toowide.png").empty());
    EXPECT_TRUE(DecodeRaw("data/toohigh.png").empty());
}

}  // namespace
