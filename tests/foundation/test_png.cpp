// The PNG layer in a real GL context: every kind of file libpng reads loads
// into every kind of slot; damaged files (the fuzz corpus) fail cleanly.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/png.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<unsigned char>;

struct Kind {
    const char* Name;
    int ColourType;
    int BitDepth;
    bool Interlaced;
    bool Transparent;  // a tRNS chunk
    int Side;
};

uint32_t MaxSample(const Kind& k) { return (1u << k.BitDepth) - 1; }
// Channel c of pixel (x, y), in the file's own bit depth.
uint32_t Sample(const Kind& k, int x, int y, int c) {
    uint32_t values = MaxSample(k) < 200 ? MaxSample(k) + 1 : 200;
    return uint32_t(x * 5 + y * 3 + c * 7) % values * (k.BitDepth == 16 ? 257u : 1u);
}
uint8_t ToEightBits(const Kind& k, uint32_t sample) {
    return uint8_t(k.BitDepth == 16 ? sample >> 8 : sample * 255 / MaxSample(k));
}
// Palette entry i, and the alpha the tRNS chunk gives it (entries 0 and 1).
png_color PaletteEntry(int i) { return {png_byte(i * 60), png_byte(255 - i * 50), png_byte(i * 97)}; }
constexpr png_byte PaletteAlpha[] = {0, 100};

// The RGBA a reader should see at (x, y).
uint32_t Expected(const Kind& k, int x, int y) {
    uint32_t s0 = Sample(k, x, y, 0);
    if (k.ColourType == PNG_COLOR_TYPE_PALETTE) {
        png_color p = PaletteEntry(int(s0));
        uint32_t alpha = k.Transparent && s0 < 2 ? PaletteAlpha[s0] : 255;
        return uint32_t(p.red) << 24 | uint32_t(p.green) << 16 | uint32_t(p.blue) << 8 | alpha;
    }
    bool grey = !(k.ColourType & PNG_COLOR_MASK_COLOR);
    uint32_t r = ToEightBits(k, s0), g = grey ? r : ToEightBits(k, Sample(k, x, y, 1)),
             b = grey ? r : ToEightBits(k, Sample(k, x, y, 2));
    uint32_t rgba = r << 24 | g << 16 | b << 8 | 255;
    if (k.ColourType & PNG_COLOR_MASK_ALPHA) rgba = (rgba & ~0xFFu) | ToEightBits(k, Sample(k, x, y, grey ? 1 : 3));
    // The transparent colour is the one of pixel (1, 0).
    bool keyed = s0 == Sample(k, 1, 0, 0) && (grey || (Sample(k, x, y, 1) == Sample(k, 1, 0, 1) &&
                                                       Sample(k, x, y, 2) == Sample(k, 1, 0, 2)));
    return k.Transparent && keyed ? rgba & ~0xFFu : rgba;
}

bool HasAlpha(const Kind& k) { return k.Transparent || (k.ColourType & PNG_COLOR_MASK_ALPHA); }

bool WriteKind(const char* path, const Kind& k) {
    PngLayout layout;
    layout.Width = layout.Height = k.Side;
    layout.ColourType = k.ColourType;
    layout.BitDepth = k.BitDepth;
    layout.Interlaced = k.Interlaced;
    bool palette = k.ColourType == PNG_COLOR_TYPE_PALETTE;
    for (int i = 0; palette && i < 1 << k.BitDepth; i++) {
        png_color entry = PaletteEntry(i);
        layout.Palette.insert(layout.Palette.end(), {entry.red, entry.green, entry.blue});
    }
    if (k.Transparent && palette) layout.PaletteAlpha.assign(std::begin(PaletteAlpha), std::end(PaletteAlpha));
    bool grey = !(k.ColourType & PNG_COLOR_MASK_COLOR);
    for (int c = 0; k.Transparent && !palette && c < (grey ? 1 : 3); c++)
        layout.TransparentColour.push_back(Sample(k, 1, 0, c));
    int channels = (palette || grey ? 1 : 3) + (k.ColourType & PNG_COLOR_MASK_ALPHA ? 1 : 0);
    int bytes = k.BitDepth == 16 ? 2 : 1;
    std::vector<Bytes> rows(size_t(k.Side), Bytes(size_t(k.Side * channels * bytes)));
    std::vector<const unsigned char*> pointers;
    for (int y = 0; y < k.Side; y++) {
        for (int i = 0; i < k.Side * channels * bytes; i++)
            rows[size_t(y)][size_t(i)] = uint8_t(Sample(k, i / bytes / channels, y, i / bytes % channels) >> 8 * (i % bytes));
        pointers.push_back(rows[size_t(y)].data());
    }
    return WritePng(path, layout, pointers);
}

// Every kind libpng reads, at sizes GL takes that are no power of two.
const Kind Kinds[] = {
    {"palette", PNG_COLOR_TYPE_PALETTE, 8, false, false, 5},
    {"palette+tRNS", PNG_COLOR_TYPE_PALETTE, 4, false, true, 7},
    {"palette+tRNS interlaced", PNG_COLOR_TYPE_PALETTE, 2, true, true, 9},
    {"grey 1-bit", PNG_COLOR_TYPE_GRAY, 1, false, false, 3},
    {"grey 2-bit+tRNS", PNG_COLOR_TYPE_GRAY, 2, false, true, 6},
    {"grey 16-bit", PNG_COLOR_TYPE_GRAY, 16, false, false, 5},
    {"grey+alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, 5},
    {"grey+alpha 16-bit interlaced", PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false, 11},
    {"RGB", PNG_COLOR_TYPE_RGB, 8, false, false, 1},
    {"RGB+tRNS", PNG_COLOR_TYPE_RGB, 8, false, true, 5},
    {"RGB 16-bit+tRNS interlaced", PNG_COLOR_TYPE_RGB, 16, true, true, 10},
    {"RGBA", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, 13},
    {"RGBA 16-bit", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, 4},
};

std::string Printed(void (*step)()) {
    testing::internal::CaptureStdout();
    step();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// The texels of a bound texture target as RGBA, rows as GL keeps them.
Bytes Texels(GLenum target, int side) {
    Bytes texels(size_t(side * side * 4));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// What a slot should hold: file rows in the given order, alpha only when kept.
Bytes ExpectedTexels(const Kind& k, bool bottomFirst, bool keepAlpha) {
    Bytes texels;
    for (int row = 0; row < k.Side; row++) {
        int y = bottomFirst ? k.Side - 1 - row : row;
        for (int x = 0; x < k.Side; x++) {
            uint32_t rgba = Expected(k, x, y);
            texels.insert(texels.end(), {uint8_t(rgba >> 24), uint8_t(rgba >> 16), uint8_t(rgba >> 8),
                                         uint8_t(keepAlpha ? rgba : 255)});
        }
    }
    return texels;
}

class PngFiles : public testing::Test {
protected:
    static void SetUpTestSuite() { OpenTestWindow(64, 64); }
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        pngSetStandardOrientation(1);
    }
    void TearDown() override {
        pngSetStandardOrientation(1);
        LeaveTempWorkDir();
    }
};

// Solid and alpha slots, the loading picture and cube faces: each kind
// loads silently; alpha survives only in an alpha slot.
TEST_F(PngFiles, EveryKindLoadsInEverySlotKind) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    for (const Kind& k : Kinds) {
        SCOPED_TRACE(k.Name);
        ASSERT_TRUE(WriteKind("data/Hintergrund_Baby.png", k));
        ASSERT_TRUE(WriteKind("data/loading.png", k));
        for (int transparency : {PNG_SOLID, PNG_ALPHA}) {
            pngSetStandardOrientation(1);
            glBindTexture(GL_TEXTURE_2D, texture);
            pngInfo info{};
            EXPECT_TRUE(pngLoad("data/Hintergrund_Baby.png", PNG_NOMIPMAPS, transparency, &info));
            bool keep = transparency == PNG_ALPHA && HasAlpha(k);
            GLint alphaBits = -1;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
            EXPECT_EQ(alphaBits > 0, keep);
            EXPECT_EQ(info.Alpha, uint32_t(keep));
            EXPECT_EQ(Texels(GL_TEXTURE_2D, k.Side), ExpectedTexels(k, true, keep));
        }
        EXPECT_EQ(Printed(LoadLoadingTexture), "");
        EXPECT_EQ(Printed([] { CubeMapTextures[0] = CreateCubeMapTexture(0); }), "");
        EXPECT_EQ(Texels(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB, k.Side), ExpectedTexels(k, false, false));
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDeleteTextures(1, &CubeMapTextures[0]);
        glDeleteTextures(1, &LoadingTexture);
    }
    glDeleteTextures(1, &texture);
}

// Every input that once found new behaviour in the picture fuzzer must
// still load or fail without a fault, now with GL taking the uploads.
TEST_F(PngFiles, FuzzCorpusRunsThrough) {
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TB_PNG_CORPUS_DIR)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const Bytes input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0) << entry.path();
        inputs++;
    }
    EXPECT_GT(inputs, 0u);
}

}  // namespace
