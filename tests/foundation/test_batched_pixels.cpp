// The glyph atlas and the batched swarm draw exactly the pixels of what they
// replace: every text page of the issue printed through the atlas and through
// glBitmap display lists of the same glyphs, and a fixed swarm drawn in
// batches and particle by particle, are compared pixel for pixel.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/startup.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/page.h"
#include "effects/spectrum_trace.h"
#include "effects/swarm.h"
#include "audio/audio.h"
#include "platform/font_bitmaps.h"
#include "render/primitives.h"
#include "resources/fonts.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024, Height = 768;

// ---- the reference: one glBitmap display list per glyph

GLuint ReferenceTahoma = 0, ReferenceCourier = 0;
bool PrintReference = false;

void CompileBitmapGlyph(int32_t code, const GlyphBitmap& glyph, void* context) {
    const int rowBytes = (glyph.width + 7) / 8;
    std::vector<GLubyte> bits(size_t(rowBytes * glyph.rows) + 1, 0);  // never a null bitmap
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.ink[y * glyph.width + x]) bits[(glyph.rows - 1 - y) * rowBytes + x / 8] |= 0x80 >> (x % 8);
    glNewList(*static_cast<GLuint*>(context) + GLuint(code), GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, float(-glyph.left), float(glyph.rows - glyph.top), glyph.advance, 0.0f,
             bits.data());
    glEndList();
}

GLuint CompileReferenceFont(const char* family, int32_t height, const char* fallbackFamily) {
    GLuint base = glGenLists(256);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    EXPECT_TRUE(RenderFontGlyphs(family, height, fallbackFamily, CompileBitmapGlyph, &base));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return base;
}

void PrintWithLists(GLuint base, float x, float y, const char* text) {
    if (!text) return;
    glRasterPos3f(x, 768.0f - y, 0.0f);
    glListBase(base);
    glCallLists(GLsizei(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glListBase(0);
}

}  // namespace

// The page renderer's prints, switched between the atlas and the reference.
void PrintTahoma(float x, float y, const char* text) {
    if (PrintReference) PrintWithLists(ReferenceTahoma, x, y, text);
    else DrawAtlasText(TahomaFont, x, y, text);
}
void PrintCourier(float x, float y, const char* text) {
    if (PrintReference) PrintWithLists(ReferenceCourier, x, y, text);
    else DrawAtlasText(CourierFont, x, y, text);
}

namespace {

using Pixels = std::vector<unsigned char>;

// The window's pixels (WindowWidth x WindowHeight).
Pixels ReadBack() {
    Pixels pixels(size_t(WindowWidth) * WindowHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WindowWidth, WindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

struct Difference {
    int pixels = 0, largest = 0, lit = 0;
};

Difference Compare(const Pixels& a, const Pixels& b) {
    Difference d;
    for (size_t i = 0; i < a.size(); i += 4) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(a[i + c]) - int(b[i + c])));
        d.pixels += worst > 0;
        d.largest = std::max(d.largest, worst);
        d.lit += a[i] + a[i + 1] + a[i + 2] > 0;
    }
    return d;
}

struct PageState {
    int32_t section, topic, page;
    float chartReveal;
};

// One page drawn the way a magazine frame draws it, then a far grey quad
// that shows where the text left depth (a bitmap of alpha 0 leaves some).
Pixels DrawPageOnce(const PageState& state, bool reference) {
    Content.ActiveSection = state.section;
    Content.IntroTopic = state.section == Introduction ? state.topic : NoTopic;
    Content.AmigaTopic = Content.PcTopic = Content.C64Topic = Content.WarezTopic = Content.FunTopic = NoTopic;
    int32_t* chartTopics[] = {nullptr, &Content.AmigaTopic, &Content.PcTopic, &Content.C64Topic, &Content.WarezTopic, &Content.FunTopic};
    if (state.section >= AmigaCharts && state.section <= FunCharts) *chartTopics[state.section] = state.topic;
    Content.CurrentPage = state.page;
    Content.ChartReveal = state.chartReveal;
    Content.PageTextAlpha = 0.6f;
    Frame.FrameStep = 1.0f;
    PrintReference = reference;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawPage();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.25f, 0.25f, 0.25f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(-500, -500, -300);
    glVertex3f(500, -500, -300);
    glVertex3f(500, 500, -300);
    glVertex3f(-500, 500, -300);
    glEnd();
    return ReadBack();
}

std::vector<PageState> EveryTextPage() {
    std::vector<PageState> pages;
    for (int32_t topic = WelcomeTopic; topic <= Bonus7Topic; ++topic)
        for (int32_t page = 0; page < PageCountOfIntroTopic(topic); ++page)
            pages.push_back({Introduction, topic, page, 0});
    for (int32_t page = 0; page < MessagesPageCount; ++page) pages.push_back({Messages, 0, page, 0});
    pages.push_back({Credits, 0, 0, 0});
    // Halfway through the reveal: rows not yet shown (alpha 0), one fading
    // in, the rest at full strength.
    for (int32_t pick = TopicRanges[AmigaCharts].first; pick <= TopicRanges[FunCharts].last; ++pick)
        pages.push_back({SectionOfTopic(pick), pick, 0, 6.5f});
    return pages;
}

class BatchedPixels : public testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(Width, Height);
        CreateTahomaFont();
        CreateCourierFont();
        ReferenceTahoma = CompileReferenceFont("Tahoma", -10, "Liberation Sans");
        ReferenceCourier = CompileReferenceFont("Courier", 12, "Liberation Mono");
    }
    void SetUp() override {
        OpenTestWindow(Width, Height);
        SetProjection(Width, Height);
        glClearColor(0, 0, 0, 0);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }
};

TEST_F(BatchedPixels, EveryTextPageMatchesTheBitmapGlyphs) {
    for (const PageState& page : EveryTextPage()) {
        const Pixels atlas = DrawPageOnce(page, false);
        const Difference d = Compare(atlas, DrawPageOnce(page, true));
        EXPECT_EQ(d.pixels, 0) << "section " << page.section << " topic " << page.topic << " page " << page.page
                               << ": largest difference " << d.largest;
        EXPECT_GT(d.lit, 1000) << "section " << page.section << " topic " << page.topic;
    }
}

// In the 512 x 512 window the text keeps its pixel size and runs off the
// window: glyphs are cut at its edge and lines outside it vanish.
TEST_F(BatchedPixels, TextCutAtTheEdgeOfTheSmallWindowMatches) {
    OpenTestWindow(512, 512);
    SetProjection(512, 512);
    for (const PageState& page : {PageState{Messages, 0, 3, 0}, PageState{AmigaCharts, 20, 0, -5.0f}}) {
        const Difference d = Compare(DrawPageOnce(page, false), DrawPageOnce(page, true));
        EXPECT_EQ(d.pixels, 0) << "largest difference " << d.largest;
        EXPECT_GT(d.lit, 100);
    }
}

// ---- the swarm

// The per-particle drawing the batches replace: a strip and three separately
// begun trail segments per visible particle, texturing switched around each.
// The swarm's own call with no particles sets the state and frame it draws in.
void DrawSwarmParticleByParticle(std::vector<Particle> pool) {
    Swarm.ParticleCount = 0;
    DrawParticleSwarm(false);
    Swarm.ParticleCount = int32_t(pool.size());
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    for (Particle& p : pool) {
        for (int j = ParticleTrailLength - 1; j > 0; --j) {
            p.trailX[j] = p.trailX[j - 1];
            p.trailY[j] = p.trailY[j - 1];
            p.trailZ[j] = p.trailZ[j - 1];
        }
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
        for (int j = 0; j < ParticleTrailLength - 1; j += 3) {
            glColor4f(p.red, p.green, p.blue, alpha - 0.1f * j);
            glBegin(GL_LINES);
            glVertex3f(p.trailX[j], p.trailY[j], p.trailZ[j]);
            glVertex3f(p.trailX[j + 3], p.trailY[j + 3], p.trailZ[j + 3]);
            glEnd();
        }
        glEnable(GL_TEXTURE_2D);
    }
}

// A soft round sprite, so that texture coordinates matter.
GLuint MakeParticleTexture() {
    unsigned char texels[16 * 16 * 4];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int d2 = (x - 8) * (x - 8) + (y - 7) * (y - 7);
            unsigned char* t = texels + (y * 16 + x) * 4;
            t[0] = t[1] = t[2] = 255;
            t[3] = (unsigned char)(d2 >= 64 ? 0 : 255 - d2 * 4);
        }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    return texture;
}

// A full swarm some way into its life: particles fading in and out, some
// outside the band, trails of every length; also straight after a push.
TEST_F(BatchedPixels, BatchedSwarmMatchesParticleByParticle) {
    TextureTable[32] = MakeParticleTexture();
    AimSpawnDirection();
    std::srand(7);
    Swarm.ParticleCount = 0;
    Swarm.AttractorStrength = AttractorPull;
    BackgroundFade = 1.0f;
    Frame.FrameStep = 1.0f;
    for (int frame = 0; frame < 760; ++frame) {
        if (frame == 700) Swarm.AttractorStrength = AttractorPush, BackgroundFade = 0.5f;
        DrawParticleSwarm(true);
    }
    ASSERT_EQ(Swarm.ParticleCount, ParticleCapacity);
    const std::vector<Particle> pool(ParticlePool, ParticlePool + Swarm.ParticleCount);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSwarmParticleByParticle(pool);
    const Pixels reference = ReadBack();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawParticleSwarm(false);
    const Difference d = Compare(ReadBack(), reference);
    EXPECT_EQ(d.pixels, 0) << "largest difference " << d.largest;
    EXPECT_GT(d.lit, 2000);
}

// ---- the spectrum trace

// The segment-by-segment drawing the two passes replace, in the frame the
// trace's own drawing has just left behind.
void DrawTraceSegmentBySegment() {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    auto height = [](int k) {
        return std::min(60.0f * std::sqrt(std::log(float(k)) * std::max(Spectrum[k], 0.0f)), 25.0f);
    };
    const float passes[2][2] = {{4.0f, 0.1f}, {1.0f, 0.15f}};  // width, alpha
    for (int k = 2; k < 128; ++k)
        for (const auto& pass : passes) {
            glLineWidth(pass[0]);
            glColor4f(1.0f, 1.0f, 1.0f, pass[1]);
            glBegin(GL_LINES);
            glVertex3f(k, height(k), 0.0f);
            glVertex3f(k + 1, height(k + 1), 0.0f);
            glEnd();
        }
}

TEST_F(BatchedPixels, TraceInTwoPassesMatchesSegmentBySegment) {
    for (int bin = 0; bin < SpectrumSize; ++bin) Spectrum[bin] = float((bin * 7919) % 101) / 2000.0f;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSpectrumTrace();
    const Pixels batched = ReadBack();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawTraceSegmentBySegment();
    const Difference d = Compare(batched, ReadBack());
    EXPECT_EQ(d.pixels, 0) << "largest difference " << d.largest;
    EXPECT_GT(d.lit, 300);
}

}  // namespace
