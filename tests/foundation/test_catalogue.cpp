// The texture catalogue against a data directory made by the test: messages
// for missing and unreadable files, slots, the loading picture, cube maps.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/png.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

// Colour of the test picture of a file: distinct per file name.
unsigned FileColour(const char* file) { return std::hash<std::string>{}(file) & 0xFFFFFF; }

// Every catalogue file in its own colour, with alpha for the alpha slots,
// and the loading picture.
void WriteCatalogue() {
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot) {
        const char* file = TextureFileName(slot);
        const unsigned colour = FileColour(file);
        const unsigned char rgba[] = {(unsigned char)(colour >> 16), (unsigned char)(colour >> 8),
                                      (unsigned char)colour, 128};
        const bool alpha = slot == 43 || slot == 82 || slot == 83;
        ASSERT_TRUE(alpha ? WriteTestPng(file, 1, 1, 4, rgba) : WriteSolidPng(file, 4, 4, colour));
    }
    ASSERT_TRUE(WriteSolidPng("data/loading.png", 512, 64, 0x336699));
}

std::string Messages(void (*load)()) {
    testing::internal::CaptureStdout();
    load();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

GLint LevelParameter(uint32_t texture, GLenum parameter, GLint level = 0) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

unsigned FirstTexel(uint32_t texture) {
    std::vector<unsigned char> texels(4 * 512 * 64);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return (unsigned(texels[0]) << 16) | (unsigned(texels[1]) << 8) | texels[2];
}

class Catalogue : public testing::Test {
protected:
    static void SetUpTestSuite() { OpenTestWindow(64, 64); }
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        WriteCatalogue();
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

// Every slot holds its own file; slots sharing a file are textures of their
// own, and a solid slot drops an RGBA file's alpha.
TEST_F(Catalogue, CompleteDataLoadsEverySlotSilently) {
    const unsigned char rgba[] = {10, 20, 30, 0};
    ASSERT_TRUE(WriteTestPng("data/top.png", 1, 1, 4, rgba));
    EXPECT_EQ(Messages(LoadTextures), "");
    std::set<uint32_t> names;
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot) {
        names.insert(TextureTable[slot]);
        const unsigned expected = slot == 61 ? 0x0A141Eu : FileColour(TextureFileName(slot));
        EXPECT_EQ(FirstTexel(TextureTable[slot]), expected) << "slot " << slot;
    }
    EXPECT_EQ(names.size(), size_t(TextureSlotCount));
    EXPECT_EQ(LevelParameter(TextureTable[61], GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_GT(LevelParameter(TextureTable[43], GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(LevelParameter(TextureTable[0], GL_TEXTURE_WIDTH, 1), 0);  // no mipmaps
    EXPECT_STREQ(TextureFileName(-1), "");
    EXPECT_STREQ(TextureFileName(TextureSlotCount), "");
}

// Slots up to 59 name themselves (counting from 1), later ones do not; a
// file too large for GL reads as missing and loading goes on. (Damaged PNG
// files are the PNG layer's tests.)
TEST_F(Catalogue, MissingAndUnreadableFilesAreReportedBySlot) {
    std::string slash;
    for (int number : {27, 36, 37, 38, 39, 41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 53, 54, 60})
        slash += "Can't load file" + std::to_string(number) + "\n";
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    const std::vector<unsigned char> row(size_t(maxSide + 1) * 3);
    const struct {
        std::vector<const char*> removed;
        bool tooLarge;
        std::string expected;
    } cases[] = {
        {{"data/mousepointer.png", "data/intro1.png", "data/Hintergrund_Baby.png"}, false,
         "Can't load file1\nCan't load file44\nCan't load file\n"},
        {{"data/slash.png"}, false, slash + "Can't load file\nCan't load file\n"},  // 60 and 81 unnumbered
        {{}, true, "Can't load file33\n"},
        {{"data/Hintergrund_Spermaflut.png"}, false, "Can't load file6\n"},
    };
    for (const auto& c : cases) {
        WriteCatalogue();
        for (const char* file : c.removed) std::remove(file);
        if (c.tooLarge) {
            ASSERT_TRUE(WriteTestPng("data/Particle.png", maxSide + 1, 1, 3, row.data()));
        }
        EXPECT_EQ(Messages(LoadTextures), c.expected);
    }
    EXPECT_EQ(LevelParameter(TextureTable[5], GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(LevelParameter(TextureTable[6], GL_TEXTURE_WIDTH), 4);
}

TEST_F(Catalogue, LoadingPicture) {
    EXPECT_EQ(Messages(LoadLoadingTexture), "");
    EXPECT_EQ(FirstTexel(LoadingTexture), 0x336699u);
    std::remove("data/loading.png");
    EXPECT_EQ(Messages(LoadLoadingTexture), "Can't load file Loading screen\n");
    EXPECT_NE(LoadingTexture, 0u);
}

// The cube map stays bound and enabled; without its picture every face
// reports.
TEST_F(Catalogue, CubeMapFromABackground) {
    ASSERT_TRUE(WriteSolidPng("data/Hintergrund_Baby.png", 8, 8, 0x102030));
    EXPECT_EQ(Messages([] { CubeMapTextures[0] = CreateCubeMapTexture(0); }), "");
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));
    GLint bound = 0, width = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP_ARB, &bound);
    EXPECT_EQ(GLuint(bound), CubeMapTextures[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 8);
    std::remove("data/Hintergrund_Gehirn.png");
    std::string sixTimes;
    for (int face = 0; face < 6; ++face) sixTimes += "Can't load file\n";
    EXPECT_EQ(Messages([] { CubeMapTextures[1] = CreateCubeMapTexture(1); }), sixTimes);
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    pngSetStandardOrientation(1);
}

}  // namespace
