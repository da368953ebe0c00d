// The particle swarm: capacity, rebirth, attraction caps, the push during a
// section cross-fade, and what is drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/frame.h"
#include "effects/swarm.h"
#include "render/primitives.h"
#include "resources/textures.h"
#include "tests/effects/draw_recorder.h"

namespace {

class SwarmTest : public ::testing::Test {
protected:
    void SetUp() override {
        Swarm = SwarmStart;
        BackgroundFade = 1.0f;
        Frame.FrameStep = 1.0f;
        AimSpawnDirection();
        std::srand(1);
        ClearDrawn();
    }

    // Vertices of the sprite batch and of the trail batch, in that order.
    static size_t SpriteVertices() { return Drawn.primitives.empty() ? 0 : Drawn.primitives[0].vertices.size(); }
    static size_t TrailVertices() { return Drawn.primitives.size() < 2 ? 0 : Drawn.primitives[1].vertices.size(); }

    // The only particle, at (x, y) at rest, newly born.
    static Particle& PlaceParticle(float x, float y) {
        Swarm.ParticleCount = 0;
        SpawnParticle(0);
        Particle& p = ParticlePool[0];
        p.x = x;
        p.y = y;
        p.vx = p.vy = 0.0;
        return p;
    }
};

// A seeded run repeats only if every spawn takes exactly seven values.
TEST_F(SwarmTest, SpawnTakesSevenRandomValuesAndStartsItsTrailInPlace) {
    std::srand(42);
    int r[8];
    for (int& value : r) value = std::rand();
    std::srand(42);
    SpawnParticle(5);
    EXPECT_EQ(std::rand(), r[7]);
    const Particle& p = ParticlePool[5];
    EXPECT_TRUE(p.x >= -50.0f && p.x < 50.0f && p.y >= -50.0f && p.y < 50.0f);
    for (int j = 0; j < ParticleTrailLength; ++j) {
        EXPECT_EQ(p.trailX[j], p.x);
        EXPECT_EQ(p.trailY[j], p.y);
    }
}

TEST_F(SwarmTest, CountStaysBetweenZeroAndCapacity) {
    RetireParticle();
    EXPECT_EQ(Swarm.ParticleCount, 0);
    SpawnParticle(-1);
    SpawnParticle(ParticleCapacity);  // no such record: nothing changes
    EXPECT_EQ(Swarm.ParticleCount, 0);

    for (int frame = 1; frame <= 900; ++frame) {
        DrawParticleSwarm(true);
        ASSERT_EQ(Swarm.ParticleCount, std::min(frame, int(ParticleCapacity))) << frame;
    }
    SpawnParticle(0);
    EXPECT_EQ(Swarm.ParticleCount, ParticleCapacity);
}

// On the attractor a particle has no direction to go: it stays put, drawn
// every frame, without a division by zero.
TEST_F(SwarmTest, ParticleOnTheAttractorStaysAndIsRebornInPlaceAfter200Frames) {
    Particle& p = PlaceParticle(0.0f, 0.0f);
    int rebornAt = 0;
    for (int frame = 1; frame <= 210 && !rebornAt; ++frame) {
        ClearDrawn();
        DrawParticleSwarm(false);
        ASSERT_EQ(SpriteVertices(), 6u) << frame;  // two triangles
        ASSERT_EQ(TrailVertices(), 6u) << frame;   // three segments
        if (p.life == 1.0f)
            rebornAt = frame;
        else
            ASSERT_TRUE(p.x == 0.0f && p.y == 0.0f) << frame;  // not NaN either
    }
    // 200 float steps of 0.005 leave life a hair above 0, so the rebirth
    // comes at the end of frame 201.
    EXPECT_EQ(rebornAt, 201);
    EXPECT_EQ(Swarm.ParticleCount, 1);
}

TEST_F(SwarmTest, ForceIsCappedBothWaysAndScaledByFrameStep) {
    const struct {
        float x, y, strength, backgroundFade, step;
        float force;
        double ax, ay;
    } rows[] = {
        {1.0f, 0.0f, AttractorPull, 1.0f, 1.0f, 300.0f, -300.0, 0.0},   // near: the cap
        {0.0f, -2.0f, AttractorPush, 0.0f, 1.0f, -600.0f, 0.0, -600.0}, // pushed: its cap
        {0.0f, 50.0f, AttractorPull, 1.0f, 2.0f, 2.0f, 0.0, -2.0},      // far: inverse square
    };
    for (const auto& row : rows) {
        Swarm.AttractorStrength = row.strength;
        BackgroundFade = row.backgroundFade;
        Frame.FrameStep = row.step;
        Particle& p = PlaceParticle(row.x, row.y);
        DrawParticleSwarm(false);
        EXPECT_FLOAT_EQ(p.force, row.force) << row.y;
        EXPECT_DOUBLE_EQ(p.ax, row.ax) << row.y;
        EXPECT_DOUBLE_EQ(p.ay, row.ay) << row.y;
    }
}

// The menu sets the push and resets the cross-fade; the cross-fade then
// raises BackgroundFade by 0.01 before the swarm runs in each frame.
TEST_F(SwarmTest, PushLastsExactlyAsLongAsTheCrossFade) {
    Swarm.AttractorStrength = AttractorPush;
    DrawParticleSwarm(false);
    EXPECT_EQ(Swarm.AttractorStrength, AttractorPull);  // no cross-fade: one frame

    Swarm.AttractorStrength = AttractorPush;
    BackgroundFade = 0.0f;
    DrawParticleSwarm(false);  // the frame of the pick
    int pushFrames = 0;
    for (int frame = 0; frame < 200; ++frame) {
        if (BackgroundFade < 1.0f) BackgroundFade += 0.01f;
        if (Swarm.AttractorStrength < 0.0f) ++pushFrames;
        DrawParticleSwarm(false);
    }
    EXPECT_EQ(pushFrames, 101);
    EXPECT_EQ(Swarm.AttractorStrength, AttractorPull);
}

TEST_F(SwarmTest, ParticlesOutsideTheBandMoveUnseen) {
    for (float y : {90.0f, -90.0f, 95.0f, 89.9f}) {
        ClearDrawn();
        Particle& p = PlaceParticle(0.0f, y);
        DrawParticleSwarm(false);
        EXPECT_EQ(SpriteVertices() + TrailVertices() == 0, std::abs(y) >= 90.0f) << y;
        EXPECT_NE(p.y, y) << y;
    }
}

TEST_F(SwarmTest, SpriteSitsWhereTheParticleWasAndTheTrailFadesBehindIt) {
    TextureTable[32] = 777;
    Particle& p = PlaceParticle(10.0f, 20.0f);
    p.vx = 2000.0;  // one unit per frame to the right, before the pull
    for (int frame = 0; frame < 12; ++frame) {
        ClearDrawn();
        DrawParticleSwarm(false);
    }
    ASSERT_EQ(Drawn.primitives.size(), 2u);  // one batch of sprites, one of trails
    const RecordedPrimitive& sprite = Drawn.primitives[0];
    EXPECT_EQ(sprite.texture, 777u);
    EXPECT_TRUE(sprite.textured);
    // Eye coordinates: the swarm's frame sits at (150, 0, -200). The last
    // vertex is the strip's last corner, bottom left.
    EXPECT_FLOAT_EQ(sprite.vertices.at(5).x, 150.0f + p.trailX[0] - 4.0f);
    EXPECT_FLOAT_EQ(sprite.vertices.at(5).y, p.trailY[0] - 4.0f);
    EXPECT_FLOAT_EQ(sprite.vertices.at(5).z, -200.0f);
    EXPECT_GT(p.x, p.trailX[0]);
    // Three untextured trail segments, the older the fainter.
    const RecordedPrimitive& trail = Drawn.primitives[1];
    ASSERT_EQ(trail.vertices.size(), 6u);
    EXPECT_FALSE(trail.textured);
    EXPECT_FLOAT_EQ(trail.vertices[0].alpha, sprite.vertices[0].alpha);
    for (int segment = 1; segment < 3; ++segment) {
        EXPECT_EQ(trail.vertices[2 * segment].alpha, trail.vertices[2 * segment + 1].alpha);
        EXPECT_LT(trail.vertices[2 * segment].alpha, trail.vertices[2 * segment - 1].alpha);
    }
    EXPECT_TRUE(Drawn.texture2d);
    EXPECT_FALSE(Drawn.blend);
    EXPECT_TRUE(Drawn.depthTest);
}

}  // namespace
