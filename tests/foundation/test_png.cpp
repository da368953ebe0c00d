// The PNG layer without a window: decoding, row order, colour conversion and
// the refusal of damaged, missing and oversized files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/png.h"
#include "tests/support/test_files.h"

namespace {

class PngFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        pngSetStandardOrientation(1);
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

// Decodes with pngLoadRaw and hands back the RGB bytes (empty on failure).
std::vector<unsigned char> DecodeRaw(const char* path, uint32_t* width = nullptr,
                                     uint32_t* height = nullptr) {
    pngRawInfo raw{};
    if (!pngLoadRaw(path, &raw)) return {};
    std::vector<unsigned char> pixels(raw.Data, raw.Data + size_t(raw.Width) * raw.Height * 3);
    std::free(raw.Data);
    if (width) *width = raw.Width;
    if (height) *height = raw.Height;
    return pixels;
}

void WriteBytes(const char* path, const void* bytes, size_t size) {
    FILE* file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes, 1, size, file);
    std::fclose(file);
}

// Two rows: red over blue.
const unsigned char RedOverBlue[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};

TEST_F(PngFiles, RowOrderFollowsTheSwitch) {
    ASSERT_TRUE(WriteTestPng("data/rows.png", 2, 2, 3, RedOverBlue));
    uint32_t width = 0, height = 0;
    std::vector<unsigned char> bottomFirst = DecodeRaw("data/rows.png", &width, &height);
    ASSERT_EQ(bottomFirst.size(), 12u);
    EXPECT_EQ(width, 2u);
    EXPECT_EQ(height, 2u);
    EXPECT_EQ(bottomFirst[2], 255);  // blue row first
    EXPECT_EQ(bottomFirst[6], 255);  // red row second
    pngSetStandardOrientation(0);
    EXPECT_EQ(pngGetStandardOrientation(), 0);
    std::vector<unsigned char> fileOrder = DecodeRaw("data/rows.png");
    ASSERT_EQ(fileOrder.size(), 12u);
    EXPECT_EQ(fileOrder[0], 255);
    EXPECT_EQ(fileOrder[8], 255);
}

TEST_F(PngFiles, GreyAndAlphaBecomeRgb) {
    const unsigned char grey[] = {10, 200};
    ASSERT_TRUE(WriteTestPng("data/grey.png", 2, 1, 1, grey));
    std::vector<unsigned char> pixels = DecodeRaw("data/grey.png");
    EXPECT_EQ(pixels, (std::vector<unsigned char>{10, 10, 10, 200, 200, 200}));
    const unsigned char greyAlpha[] = {50, 0, 60, 255};
    ASSERT_TRUE(WriteTestPng("data/greyalpha.png", 2, 1, 2, greyAlpha));
    EXPECT_EQ(DecodeRaw("data/greyalpha.png"), (std::vector<unsigned char>{50, 50, 50, 60, 60, 60}));
    const unsigned char rgba[] = {1, 2, 3, 4};
    ASSERT_TRUE(WriteTestPng("data/rgba.png", 1, 1, 4, rgba));
    EXPECT_EQ(DecodeRaw("data/rgba.png"), (std::vector<unsigned char>{1, 2, 3}));
}

TEST_F(PngFiles, MissingDamagedAndEmptyFilesFail) {
    EXPECT_TRUE(DecodeRaw("data/none.png").empty());
    EXPECT_TRUE(DecodeRaw(nullptr).empty());
    WriteBytes("data/empty.png", "", 0);
    EXPECT_TRUE(DecodeRaw("data/empty.png").empty());
    WriteBytes("data/text.png", "not a picture at all", 20);
    EXPECT_TRUE(DecodeRaw("data/text.png").empty());
    pngRawInfo raw{};
    EXPECT_EQ(pngLoadRaw("data/none.png", nullptr), 0);
    EXPECT_EQ(pngLoadRaw("data/none.png", &raw), 0);
    EXPECT_EQ(raw.Data, nullptr);
}

TEST_F(PngFiles, TruncatedFileFailsAtEveryLength) {
    std::vector<unsigned char> picture(64 * 64 * 3);
    uint32_t noise = 12345;  // incompressible, so the file is long
    for (unsigned char& byte : picture) byte = (unsigned char)((noise = noise * 1103515245 + 12345) >> 16);
    ASSERT_TRUE(WriteTestPng("data/whole.png", 64, 64, 3, picture.data()));
    FILE* file = std::fopen("data/whole.png", "rb");
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> bytes(1 << 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    // The last 12 bytes are the end chunk, which libpng does not need.
    for (size_t length = 0; length + 12 < bytes.size(); length += 37) {
        WriteBytes("data/cut.png", bytes.data(), length);
        EXPECT_TRUE(DecodeRaw("data/cut.png").empty()) << "length " << length;
    }
}

// Without a GL context to ask, the largest accepted side is 16384 pixels;
// anything wider is refused before its pixels are allocated.
TEST_F(PngFiles, SidesBeyondTheLimitAreRefused) {
    std::vector<unsigned char> row(16385 * 3, 7);
    ASSERT_TRUE(WriteTestPng("data/widest.png", 16384, 1, 3, row.data()));
    ASSERT_TRUE(WriteTestPng("data/toowide.png", 16385, 1, 3, row.data()));
    ASSERT_TRUE(WriteTestPng("data/toohigh.png", 1, 16385, 3, row.data()));
    EXPECT_EQ(DecodeRaw("data/widest.png").size(), 16384u * 3);
    EXPECT_TRUE(DecodeRaw("data/toowide.png").empty());
    EXPECT_TRUE(DecodeRaw("data/toohigh.png").empty());
}

}  // namespace
