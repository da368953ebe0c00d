// The glyph atlas and the batched swarm draw exactly the pixels of what they
// replace: every text page of the issue printed through the atlas and through
// glBitmap display lists of the same glyphs, and a fixed swarm drawn in
// batches and particle by particle, are compared pixel for pixel; and the
// fonts hold all 256 codes.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/startup.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/page.h"
#include "effects/swarm.h"
#include "platform/font_bitmaps.h"
#include "render/primitives.h"
#include "resources/fonts.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"

namespace {

// ---- the reference: one glBitmap display list per glyph

GLuint ReferenceTahoma = 0, ReferenceCourier = 0;
bool PrintReference = false;

void CompileBitmapGlyph(int32_t code, const GlyphBitmap& glyph, void* base) {
    const int rowBytes = (glyph.width + 7) / 8;
    std::vector<GLubyte> bits(size_t(rowBytes * glyph.rows) + 1, 0);  // never a null bitmap
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.ink[y * glyph.width + x]) bits[(glyph.rows - 1 - y) * rowBytes + x / 8] |= 0x80 >> (x % 8);
    glNewList(*static_cast<GLuint*>(base) + GLuint(code), GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, float(-glyph.left), float(glyph.rows - glyph.top), glyph.advance, 0.0f,
             bits.data());
    glEndList();
}

GLuint CompileReferenceFont(const char* family, int32_t height, const char* fallbackFamily) {
    GLuint base = glGenLists(256);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    EXPECT_TRUE(RenderFontGlyphs(family, height, fallbackFamily, CompileBitmapGlyph, &base));
    return base;
}

void Print(const FontAtlas& font, GLuint referenceBase, float x, float y, const char* text) {
    if (!PrintReference) return DrawAtlasText(font, x, y, text);
    if (!text) return;
    glRasterPos3f(x, 768.0f - y, 0.0f);
    glListBase(referenceBase);
    glCallLists(GLsizei(std::strlen(text)), GL_UNSIGNED_BYTE, text);
}

}  // namespace

// The page renderer's prints, switched between the atlas and the reference.
void PrintTahoma(float x, float y, const char* text) { Print(TahomaFont, ReferenceTahoma, x, y, text); }
void PrintCourier(float x, float y, const char* text) { Print(CourierFont, ReferenceCourier, x, y, text); }

namespace {

using Pixels = std::vector<unsigned char>;

// The window's pixels (WindowWidth x WindowHeight), RGB.
Pixels ReadBack() {
    Pixels pixels(size_t(WindowWidth) * WindowHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WindowWidth, WindowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// The same pixels, and enough of them unlike the corner (the background) to
// show that something was drawn.
void ExpectSamePixels(const Pixels& drawn, const Pixels& reference, int minimumLit, const std::string& what) {
    int lit = 0;
    for (size_t i = 0; i < drawn.size(); i += 3) lit += std::memcmp(&drawn[i], &drawn[0], 3) != 0;
    EXPECT_TRUE(drawn == reference) << what;
    EXPECT_GT(lit, minimumLit) << what;
}

// One page drawn the way a magazine frame draws it, through the atlas and
// through the reference, each then under a far grey quad that shows where
// the text left depth (a bitmap of alpha 0 leaves some).
void ExpectPageMatches(int32_t section, int32_t topic, int32_t page, float chartReveal, int minimumLit = 1000) {
    Pixels drawn[2];
    for (bool reference : {false, true}) {
        Content = ContentStart;
        Content.ActiveSection = section;
        SelectTopic(topic);  // 0 in the sections without topics: no pick
        Content.CurrentPage = page;
        Content.ChartReveal = chartReveal;
        Content.PageTextAlpha = 0.6f;
        Frame.FrameStep = 1.0f;
        PrintReference = reference;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawPage();
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glColor4f(0.25f, 0.25f, 0.25f, 1.0f);
        glBegin(GL_QUADS);
        for (int corner = 0; corner < 4; ++corner) glVertex3f(corner % 3 ? 500 : -500, corner < 2 ? -500 : 500, -300);
        glEnd();
        drawn[reference] = ReadBack();
    }
    ExpectSamePixels(drawn[0], drawn[1], minimumLit,
                     "section " + std::to_string(section) + " topic " + std::to_string(topic) + " page " +
                         std::to_string(page));
}

class BatchedPixels : public testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(1024, 768);
        CreateTahomaFont();
        CreateCourierFont();
        ReferenceTahoma = CompileReferenceFont("Tahoma", -10, "Liberation Sans");
        ReferenceCourier = CompileReferenceFont("Courier", 12, "Liberation Mono");
        SetProjection(1024, 768);
        glClearColor(0, 0, 0, 0);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }
};

// Every page at 1024 x 768; then in the 512 x 512 window, where the text
// keeps its pixel size and runs off: glyphs are cut at the window's edge and
// lines outside it vanish.
TEST_F(BatchedPixels, EveryTextPageMatchesTheBitmapGlyphs) {
    for (int32_t topic = WelcomeTopic; topic <= Bonus7Topic; ++topic)
        for (int32_t page = 0; page < PageCountOfIntroTopic(topic); ++page)
            ExpectPageMatches(Introduction, topic, page, 0);
    for (int32_t page = 0; page < MessagesPageCount; ++page) ExpectPageMatches(Messages, 0, page, 0);
    ExpectPageMatches(Credits, 0, 0, 0);
    // Halfway through the reveal: rows not yet shown (alpha 0), one fading
    // in, the rest at full strength.
    for (int32_t pick = FirstChartPick; pick <= LastChartPick; ++pick)
        ExpectPageMatches(SectionOfTopic(pick), pick, 0, 6.5f);
    OpenTestWindow(512, 512);
    SetProjection(512, 512);
    ExpectPageMatches(Messages, 0, 3, 0, 100);
    ExpectPageMatches(AmigaCharts, 20, 0, -5.0f, 100);
    OpenTestWindow(1024, 768);
    SetProjection(1024, 768);
}

// Every code has its glyph (blank ones advance, Courier's 13-pixel strike by
// 8 pixels, the high half of Windows-1252 has ink); null or "" is safe to print.
TEST_F(BatchedPixels, FontsHoldEveryCode) {
    for (const char* text : {static_cast<const char*>(nullptr), ""}) PrintTahoma(100, 100, text);
    for (int code = 0; code < 256; ++code) {
        EXPECT_GT(TahomaFont.glyphs[code].advance, 0.0f) << "Tahoma " << code;
        EXPECT_EQ(CourierFont.glyphs[code].advance, 8.0f) << "Courier " << code;
    }
    for (unsigned char code : {0x80, 0xA9, 0xC4, 0xE9, 0xFF})
        EXPECT_GT(TahomaFont.glyphs[code].width * CourierFont.glyphs[code].width, 0) << int(code);
}

// The per-particle drawing the batches replace: a strip and its three trail
// segments per visible particle, texturing switched around each, each
// particle aged first as the swarm ages it. The swarm's own call with no
// particles sets the state and frame it draws in.
void DrawSwarmParticleByParticle(std::vector<Particle> pool) {
    const int32_t count = Swarm.ParticleCount;
    Swarm.ParticleCount = 0;
    DrawParticleSwarm(false);
    Swarm.ParticleCount = count;
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    for (Particle& p : pool) {
        for (float* trail : {p.trailX, p.trailY, p.trailZ})
            std::copy_backward(trail, trail + ParticleTrailLength - 1, trail + ParticleTrailLength);
        p.trailX[0] = p.x, p.trailY[0] = p.y, p.trailZ[0] = p.z;
        if (p.fadeIn > 0.0f) p.fadeIn -= 0.008f;
        const float alpha = p.life - p.fadeIn;
        glColor4f(p.red, p.green, p.blue, alpha);
        if (!(p.y > -90.0f && p.y < 90.0f)) continue;
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(1, 1); glVertex3f(p.x + 4, p.y + 4, p.z);
        glTexCoord2f(0, 1); glVertex3f(p.x - 4, p.y + 4, p.z);
        glTexCoord2f(1, 0); glVertex3f(p.x + 4, p.y - 4, p.z);
        glTexCoord2f(0, 0); glVertex3f(p.x - 4, p.y - 4, p.z);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_LINES);
        for (int j = 0; j < ParticleTrailLength - 1; j += 3) {
            glColor4f(p.red, p.green, p.blue, alpha - 0.1f * j);
            glVertex3f(p.trailX[j], p.trailY[j], p.trailZ[j]);
            glVertex3f(p.trailX[j + 3], p.trailY[j + 3], p.trailZ[j + 3]);
        }
        glEnd();
        glEnable(GL_TEXTURE_2D);
    }
}

// A full swarm some way into its life: particles fading in and out, some
// outside the band, trails of every length; also straight after a push.
// Getting there draws nothing (the scissor box is empty): only the last
// frame is looked at.
TEST_F(BatchedPixels, BatchedSwarmMatchesParticleByParticle) {
    // The sprite: four alphas, so that texture coordinates matter, in the
    // default texture, which the particles' slot names while nothing is loaded.
    const unsigned char texels[] = {255, 40, 255, 120, 255, 200, 255, 255};  // luminance, alpha
    TextureTable[32] = 0;
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, 2, 2, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, texels);
    Swarm = SwarmStart;
    AimSpawnDirection();
    std::srand(7);
    BackgroundFade = 1.0f;
    Frame.FrameStep = 1.0f;
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 0, 0);
    for (int frame = 0; frame < 760; ++frame) {
        if (frame == 700) Swarm.AttractorStrength = AttractorPush, BackgroundFade = 0.5f;
        DrawParticleSwarm(true);
    }
    glDisable(GL_SCISSOR_TEST);
    ASSERT_EQ(Swarm.ParticleCount, ParticleCapacity);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSwarmParticleByParticle(std::vector<Particle>(ParticlePool, ParticlePool + Swarm.ParticleCount));
    const Pixels reference = ReadBack();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawParticleSwarm(false);
    ExpectSamePixels(ReadBack(), reference, 2000, "swarm");
}

}  // namespace
