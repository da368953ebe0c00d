// Loading in a real GL context: every kind of file libpng reads loads into
// every kind of slot; missing, empty, foreign, cut and oversized files and
// the fuzz corpus fail cleanly; the catalogue names the slots it could not
// fill; the frame driver's loading states with the whole program linked.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glext.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/startup.h"
#include "platform/png.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<unsigned char>;

struct Kind {
    int colourType, bitDepth;
    bool interlaced, transparent;  // transparent: a tRNS chunk
    int side;
};

// Every kind libpng reads, at sizes GL takes that are no power of two.
const Kind Kinds[] = {
    {PNG_COLOR_TYPE_PALETTE, 8, false, false, 5},    {PNG_COLOR_TYPE_PALETTE, 4, false, true, 7},
    {PNG_COLOR_TYPE_PALETTE, 2, true, true, 9},      {PNG_COLOR_TYPE_GRAY, 1, false, false, 3},
    {PNG_COLOR_TYPE_GRAY, 2, false, true, 6},        {PNG_COLOR_TYPE_GRAY, 16, false, false, 5},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, 5}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false, 11},
    {PNG_COLOR_TYPE_RGB, 8, false, false, 1},        {PNG_COLOR_TYPE_RGB, 8, false, true, 5},
    {PNG_COLOR_TYPE_RGB, 16, true, true, 10},        {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, 13},
    {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, 4}};

// Channel c of pixel (x, y), in the file's own bit depth.
uint32_t Sample(const Kind& k, int x, int y, int c) {
    return uint32_t(x * 5 + y * 3 + c * 7) % std::min(1u << k.bitDepth, 200u) * (k.bitDepth == 16 ? 257u : 1u);
}
uint8_t ToEightBits(const Kind& k, uint32_t sample) {
    return uint8_t(k.bitDepth == 16 ? sample >> 8 : sample * 255 / ((1u << k.bitDepth) - 1));
}
// Palette entry i, and the alpha the tRNS chunk gives it (entries 0 and 1).
png_color PaletteEntry(int i) { return {png_byte(i * 60), png_byte(255 - i * 50), png_byte(i * 97)}; }
constexpr png_byte PaletteAlpha[] = {0, 100};
// Palette index or grey: one; else red, green and blue. Alpha comes after.
int ColourChannels(const Kind& k) { return (k.colourType & ~PNG_COLOR_MASK_ALPHA) == PNG_COLOR_TYPE_RGB ? 3 : 1; }

// What a texture should hold: rows in the given order, alpha only when kept.
// The transparent colour is the one of pixel (1, 0).
Bytes ExpectedTexels(const Kind& k, bool bottomFirst, bool keepAlpha) {
    Bytes texels;
    const int n = ColourChannels(k);
    for (int row = 0; row < k.side; row++)
        for (int x = 0; x < k.side; x++) {
            const int y = bottomFirst ? k.side - 1 - row : row;
            const uint32_t s0 = Sample(k, x, y, 0);
            const png_color p = PaletteEntry(int(s0));
            uint8_t rgba[4] = {p.red, p.green, p.blue, png_byte(k.transparent && s0 < 2 ? PaletteAlpha[s0] : 255)};
            if (k.colourType != PNG_COLOR_TYPE_PALETTE) {
                bool keyed = k.transparent;
                for (int c = 0; c < 3; ++c) rgba[c] = ToEightBits(k, Sample(k, x, y, std::min(c, n - 1)));
                for (int c = 0; c < n; ++c) keyed = keyed && Sample(k, x, y, c) == Sample(k, 1, 0, c);
                rgba[3] = keyed ? 0 : k.colourType & PNG_COLOR_MASK_ALPHA ? ToEightBits(k, Sample(k, x, y, n)) : 255;
            }
            texels.insert(texels.end(), {rgba[0], rgba[1], rgba[2], keepAlpha ? rgba[3] : uint8_t(255)});
        }
    return texels;
}

bool WriteKind(const char* path, const Kind& k) {
    PngLayout layout{k.side, k.side, k.colourType, k.bitDepth, k.interlaced, {}, {}, {}};
    const bool palette = k.colourType == PNG_COLOR_TYPE_PALETTE;
    for (int i = 0; palette && i < 1 << k.bitDepth; i++) {
        const png_color entry = PaletteEntry(i);
        layout.Palette.insert(layout.Palette.end(), {entry.red, entry.green, entry.blue});
    }
    if (k.transparent && palette) layout.PaletteAlpha.assign(std::begin(PaletteAlpha), std::end(PaletteAlpha));
    for (int c = 0; k.transparent && !palette && c < ColourChannels(k); c++)
        layout.TransparentColour.push_back(Sample(k, 1, 0, c));
    const int channels = ColourChannels(k) + (k.colourType & PNG_COLOR_MASK_ALPHA ? 1 : 0);
    const int bytes = k.bitDepth == 16 ? 2 : 1;  // low byte first
    std::vector<Bytes> rows(size_t(k.side), Bytes(size_t(k.side * channels * bytes)));
    std::vector<const unsigned char*> pointers;
    for (int y = 0; y < k.side; y++) {
        for (int i = 0; i < k.side * channels * bytes; i++)
            rows[y][i] = uint8_t(Sample(k, i / bytes / channels, y, i / bytes % channels) >> 8 * (i % bytes));
        pointers.push_back(rows[y].data());
    }
    return WritePng(path, layout, pointers);
}

std::string Printed(const std::function<void()>& step) {
    testing::internal::CaptureStdout();
    step();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

GLint TextureWidth(GLenum target) {
    GLint width = -1;
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

// The texels of a bound square texture target as RGBA, rows as GL keeps them.
Bytes Texels(GLenum target) {
    Bytes texels(size_t(TextureWidth(target) * TextureWidth(target) * 4));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class Loading : public testing::Test {
protected:
    static void SetUpTestSuite() { OpenTestWindow(64, 64); }
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    void TearDown() override {
        pngSetStandardOrientation(1);
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        LeaveTempWorkDir();
    }
    GLuint texture = 0;
};

// Solid and alpha slots and cube faces (file order):
// each kind loads silently; alpha survives only in an alpha slot.
TEST_F(Loading, EveryPngKindLoadsInEverySlotKind) {
    for (const Kind& k : Kinds) {
        SCOPED_TRACE("kind " + std::to_string(&k - Kinds));
        ASSERT_TRUE(WriteKind("data/Hintergrund_Baby.png", k));
        pngSetStandardOrientation(1);  // the cube faces leave file order behind
        for (int transparency : {PNG_SOLID, PNG_ALPHA}) {
            pngInfo info{};
            EXPECT_TRUE(pngLoad("data/Hintergrund_Baby.png", PNG_NOMIPMAPS, transparency, &info));
            const bool keep = transparency == PNG_ALPHA && (k.transparent || k.colourType & PNG_COLOR_MASK_ALPHA);
            EXPECT_EQ(info.Alpha, uint32_t(keep));
            EXPECT_EQ(Texels(GL_TEXTURE_2D), ExpectedTexels(k, true, keep));
        }
        EXPECT_EQ(Printed([] { CubeMapTextures[0] = CreateCubeMapTexture(0); }), "");
        EXPECT_EQ(Texels(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB), ExpectedTexels(k, false, false));
        glDeleteTextures(1, &CubeMapTextures[0]);
    }
}

// A missing, empty or foreign file, one cut in its header or in its pixel
// data and one a pixel wider than GL takes upload nothing and fail both
// ways; a file cut after its last pixel row (no IEND) still loads.
TEST_F(Loading, DamagedPngFilesFailWithoutUploading) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    ASSERT_TRUE(WriteTestPng("data/too-wide.png", maxSide + 1, 1, 3, Bytes(size_t(maxSide + 1) * 3).data()));
    ASSERT_TRUE(WriteKind("data/whole.png", Kinds[11]));  // RGBA, 13 x 13
    const Bytes whole = ReadFile("data/whole.png");
    const struct {
        const char* name;
        std::string bytes;  // "-": leave the file as it is
        bool loads;
    } files[] = {{"missing", "-", false}, {"empty", "", false}, {"foreign", "not a picture", false},
                 {"header", std::string(whole.begin(), whole.begin() + 33), false},
                 {"cut-in-pixels", std::string(whole.begin(), whole.begin() + long(whole.size() / 2)), false},
                 {"too-wide", "-", false}, {"cut-after-pixels", std::string(whole.begin(), whole.end() - 12), true}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = std::string("data/") + file.name + ".png";
        if (file.bytes != "-") std::ofstream(path, std::ios::binary) << file.bytes;
        EXPECT_EQ(pngLoad(path.c_str(), PNG_NOMIPMAPS, PNG_ALPHA, nullptr), int(file.loads));
        EXPECT_EQ(TextureWidth(GL_TEXTURE_2D), file.loads ? 13 : 0);
        pngRawInfo raw{};
        EXPECT_EQ(pngLoadRaw(path.c_str(), &raw), int(file.loads));
        std::free(raw.Data);
    }
}

// Every input that once found new behaviour in the picture fuzzer must
// still load or fail without a fault, now with GL taking the uploads.
TEST_F(Loading, FuzzCorpusRunsThrough) {
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TB_PNG_CORPUS_DIR)) {
        const Bytes input = ReadFile(entry.path());
        EXPECT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0) << entry.path();
        inputs++;
    }
    EXPECT_GT(inputs, 0u);
}

// Slots up to 59 name themselves (counting from 1), later ones do not, and
// loading goes on after each; without the loading picture or a cube map's
// background each says so, the cube map once for every face.
TEST_F(Loading, CatalogueNamesWhatItCannotLoad) {
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot)
        ASSERT_TRUE(WriteSolidPng(TextureFileName(slot), 4, 4, 0x808080));
    std::remove("data/slash.png");
    std::string expected;
    for (int number : {27, 36, 37, 38, 39, 41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 53, 54, 60, 0, 0})
        expected += "Can't load file" + (number ? std::to_string(number) : "") + "\n";  // 0: slots 60 and 81
    EXPECT_EQ(Printed(LoadTextures), expected);
    EXPECT_EQ(Printed(LoadLoadingTexture), "Can't load file Loading screen\n");
    std::remove("data/Hintergrund_Baby.png");
    std::string sixFaces;
    for (int face = 0; face < 6; ++face) sixFaces += "Can't load file\n";
    EXPECT_EQ(Printed([] { CubeMapTextures[0] = CreateCubeMapTexture(0); }), sixFaces);
}

// One frame as the driver runs it, without the clock, leaving the back
// buffer for reading until the next frame's swap.
void RunFrame() {
    glutSwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RunSceneStates();
}

// 41 frames of fade-in, the frame that loads everything, 42 of fade-out. In
// the 512 x 512 window the picture keeps its size and is not centred (at
// 1024 x 768 it is tests/canvas' loading picture).
TEST_F(Loading, FadeInLoadFadeOutAndThePictureInTheWindow) {
    ASSERT_TRUE(WriteSolidPng("data/loading.png", 512, 64, 0xFFFFFF));
    OpenTestWindow(512, 512);
    InitGraphicsState();
    Frame = FrameStart;
    TextureTable[0] = 0;
    for (int frame = 1; frame <= 41; ++frame) RunFrame();
    EXPECT_EQ(Frame.SceneState, LoadingFadeIn);
    EXPECT_EQ(TextureTable[0], 0u) << "loaded early";
    // Centre (384, 278.6): the right half of the picture leaves the window.
    EXPECT_EQ(ReadBackBufferPixel(130, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(511, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(126, 278), 0u);
    EXPECT_EQ(ReadBackBufferPixel(300, 244), 0u);
    RunFrame();  // the fade-in ends, everything loads, the fade-out begins
    EXPECT_EQ(Frame.SceneState, LoadingFadeOut);
    EXPECT_NE(TextureTable[0], 0u);
    EXPECT_NEAR(Frame.LoadingAlpha, 1.0f, 1e-5f);
    int fadeOutSteps = 1;
    for (RunFrame(); Frame.SceneState == LoadingFadeOut && fadeOutSteps < 100; RunFrame()) ++fadeOutSteps;
    EXPECT_EQ(fadeOutSteps, 42);
    EXPECT_TRUE(Frame.SceneState == Intro || Frame.SceneState == Magazine);
    EXPECT_LE(Frame.LoadingAlpha, 0.0f);
}

TEST(Projection, SurvivesAWindowOfNoHeight) {
    SetProjection(512, 0);
    float matrix[16];
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    for (float value : matrix) EXPECT_TRUE(std::isfinite(value));
}

}  // namespace
