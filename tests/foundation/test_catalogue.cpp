// The texture catalogue against a data directory made by the test: the
// messages of missing and unreadable files, the per-slot parameters, the
// loading picture and the cube maps.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/png.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

// Colour of the test picture of a slot's file: distinct per file name.
unsigned FileColour(const char* file) {
    unsigned hash = 2166136261u;
    for (const char* c = file; *c; ++c) hash = (hash ^ (unsigned char)*c) * 16777619u;
    return hash & 0xFFFFFF;
}

// Every catalogue file as a small picture of its own colour, the pointer and
// the alpha slots with an alpha channel, plus the loading picture.
void WriteCatalogue() {
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot) {
        const char* file = TextureFileName(slot);
        unsigned colour = FileColour(file);
        if (slot == 43 || slot == 82 || slot == 83) {
            const unsigned char rgba[] = {(unsigned char)(colour >> 16), (unsigned char)(colour >> 8),
                                          (unsigned char)colour, 128};
            ASSERT_TRUE(WriteTestPng(file, 1, 1, 4, rgba));
        } else {
            ASSERT_TRUE(WriteSolidPng(file, 4, 4, colour));
        }
    }
    ASSERT_TRUE(WriteSolidPng("data/loading.png", 512, 64, 0x336699));
}

std::string LoadCapturingMessages(void (*load)()) {
    testing::internal::CaptureStdout();
    load();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

GLint TextureParameter(uint32_t texture, GLenum parameter) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

GLint LevelParameter(uint32_t texture, GLenum parameter) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
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

TEST_F(Catalogue, CompleteDataLoadsSilently) {
    EXPECT_EQ(LoadCapturingMessages(LoadTextures), "");
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot) {
        ASSERT_NE(TextureTable[slot], 0u);
        EXPECT_EQ(FirstTexel(TextureTable[slot]), FileColour(TextureFileName(slot))) << "slot " << slot;
    }
    EXPECT_EQ(pngGetStandardOrientation(), 1);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
}

TEST_F(Catalogue, OnlySlotFiveMissing) {
    std::remove("data/Hintergrund_Spermaflut.png");
    EXPECT_EQ(LoadCapturingMessages(LoadTextures), "Can't load file6\n");
    EXPECT_EQ(LevelParameter(TextureTable[5], GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(LevelParameter(TextureTable[6], GL_TEXTURE_WIDTH), 4);
}

TEST_F(Catalogue, NumberedAndUnnumberedMessages) {
    std::remove("data/mousepointer.png");
    std::remove("data/intro1.png");
    std::remove("data/Hintergrund_Baby.png");
    EXPECT_EQ(LoadCapturingMessages(LoadTextures), "Can't load file1\nCan't load file44\nCan't load file\n");
}

TEST_F(Catalogue, SlashIsMissingTwentyTimes) {
    std::remove("data/slash.png");
    std::string expected;
    for (int number : {27, 36, 37, 38, 39, 41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 53, 54, 60})
        expected += "Can't load file" + std::to_string(number) + "\n";
    expected += "Can't load file\nCan't load file\n";  // slots 60 and 81
    EXPECT_EQ(LoadCapturingMessages(LoadTextures), expected);
}

TEST_F(Catalogue, UnreadableAndOversizedFilesGetTheSlotMessage) {
    FILE* file = std::fopen("data/top.png", "wb");
    std::fputs("\x89PNG\r\n\x1a\n but then nothing", file);
    std::fclose(file);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    std::vector<unsigned char> row(size_t(maxSide + 1) * 3);
    ASSERT_TRUE(WriteTestPng("data/Particle.png", maxSide + 1, 1, 3, row.data()));
    EXPECT_EQ(LoadCapturingMessages(LoadTextures), "Can't load file33\nCan't load file\n");
}

TEST_F(Catalogue, SlashSlotsAreDistinctTexturesWithTheirOwnParameters) {
    LoadCapturingMessages(LoadTextures);
    const int32_t slashSlots[] = {26, 35, 36, 37, 38, 40, 41, 42, 44, 45,
                                  46, 47, 48, 49, 50, 52, 53, 59, 60, 81};
    std::set<uint32_t> names;
    for (int32_t slot : slashSlots) {
        EXPECT_STREQ(TextureFileName(slot), "data/slash.png");
        names.insert(TextureTable[slot]);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(TextureParameter(TextureTable[26], GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(TextureParameter(TextureTable[35], GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TextureParameter(TextureTable[35], GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(TextureParameter(TextureTable[35], GL_TEXTURE_WRAP_T), GL_CLAMP);
    EXPECT_EQ(TextureParameter(TextureTable[38], GL_TEXTURE_WRAP_S), GL_REPEAT);
    // Changing one leaves its twins alone.
    glBindTexture(GL_TEXTURE_2D, TextureTable[36]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    EXPECT_EQ(TextureParameter(TextureTable[37], GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(Catalogue, FiltersAndTransparency) {
    LoadCapturingMessages(LoadTextures);
    EXPECT_EQ(TextureParameter(TextureTable[0], GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(TextureParameter(TextureTable[7], GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(TextureParameter(TextureTable[68], GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_GT(LevelParameter(TextureTable[43], GL_TEXTURE_ALPHA_SIZE), 0);  // PNG_ALPHA
    EXPECT_GT(LevelParameter(TextureTable[83], GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(LevelParameter(TextureTable[0], GL_TEXTURE_ALPHA_SIZE), 0);  // PNG_SOLID
    // No slot is mipmapped: level 1 stays empty.
    GLint levelOne = -1;
    glBindTexture(GL_TEXTURE_2D, TextureTable[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOne);
    EXPECT_EQ(levelOne, 0);
}

TEST_F(Catalogue, SolidSlotDropsTheFilesAlpha) {
    const unsigned char rgba[] = {10, 20, 30, 0};
    ASSERT_TRUE(WriteTestPng("data/top.png", 1, 1, 4, rgba));
    LoadCapturingMessages(LoadTextures);
    EXPECT_EQ(LevelParameter(TextureTable[61], GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(FirstTexel(TextureTable[61]), 0x0A141Eu);
}

TEST_F(Catalogue, LoadingPicture) {
    EXPECT_EQ(LoadCapturingMessages(LoadLoadingTexture), "");
    EXPECT_EQ(LevelParameter(LoadingTexture, GL_TEXTURE_WIDTH), 512);
    EXPECT_EQ(LevelParameter(LoadingTexture, GL_TEXTURE_HEIGHT), 64);
    EXPECT_EQ(FirstTexel(LoadingTexture), 0x336699u);
    std::remove("data/loading.png");
    EXPECT_EQ(LoadCapturingMessages(LoadLoadingTexture), "Can't load file Loading screen\n");
    EXPECT_NE(LoadingTexture, 0u);
}

TEST_F(Catalogue, CubeMapFromABackground) {
    ASSERT_TRUE(WriteSolidPng("data/Hintergrund_Baby.png", 8, 8, 0x102030));
    uint32_t cube = 0;
    EXPECT_EQ(LoadCapturingMessages([] { CubeMapTextures[0] = CreateCubeMapTexture(0); }), "");
    cube = CubeMapTextures[0];
    EXPECT_NE(cube, 0u);
    EXPECT_EQ(pngGetStandardOrientation(), 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));
    GLint bound = 0, width = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP_ARB, &bound);
    EXPECT_EQ(GLuint(bound), cube);
    for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB; ++face) {
        glGetTexLevelParameteriv(face, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 8);
    }
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    pngSetStandardOrientation(1);
}

TEST_F(Catalogue, CubeMapWithoutItsPictureReportsEveryFace) {
    std::remove("data/Hintergrund_Gehirn.png");
    std::string messages = LoadCapturingMessages([] { CubeMapTextures[1] = CreateCubeMapTexture(1); });
    EXPECT_EQ(messages, "Can't load file\nCan't load file\nCan't load file\n"
                        "Can't load file\nCan't load file\nCan't load file\n");
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    pngSetStandardOrientation(1);
}

}  // namespace
