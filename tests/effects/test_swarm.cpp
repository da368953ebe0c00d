// The particle swarm: spawning, ageing, attraction with its caps, the push
// during a section cross-fade, and what is drawn.
#include <gtest/gtest.h>

#include <GL/gl.h>

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
        ParticleCount = 0;
        AttractorStrength = AttractorPull;
        BackgroundFade = 1.0f;
        FrameStep = 1.0f;
        AimSpawnDirection();
        std::srand(1);
        ClearDrawn();
    }

    // One particle at (x, y) at rest, newly born.
    static Particle& PlaceParticle(float x, float y) {
        SpawnParticle(0);
        Particle& p = ParticlePool[0];
        p.x = x;
        p.y = y;
        p.vx = p.vy = 0.0;
        return p;
    }

    static int SpritesDrawn() {
        int count = 0;
        for (const RecordedPrimitive& primitive : Drawn.primitives)
            count += primitive.mode == GL_TRIANGLE_STRIP;
        return count;
    }
};

TEST_F(SwarmTest, SpawnDirectionFromHalfRadianAngles) {
    EXPECT_NEAR(SpawnDirection.x, 0.42074, 1e-5);
    EXPECT_NEAR(SpawnDirection.y, 0.22985, 1e-5);
    EXPECT_NEAR(SpawnDirection.z, 0.87758, 1e-5);
}

TEST_F(SwarmTest, SpawnDrawsSevenRandomValuesInOrder) {
    std::srand(42);
    int r[8];
    for (int& value : r) value = std::rand();
    std::srand(42);
    SpawnParticle(5);
    EXPECT_EQ(ParticleCount, 1);
    const Particle& p = ParticlePool[5];
    EXPECT_EQ(p.life, 1.0f);
    EXPECT_EQ(p.fadeIn, 1.0f);
    EXPECT_EQ(p.decay, 0.005f);
    EXPECT_EQ(p.mass, 2.0f);
    EXPECT_FLOAT_EQ(p.red, (r[0] % 256) / 256.0f);
    EXPECT_EQ(p.red, p.green);
    EXPECT_EQ(p.red, p.blue);
    EXPECT_FLOAT_EQ(p.x, (r[1] % 1000) * 0.1f - 50.0f);
    EXPECT_FLOAT_EQ(p.y, (r[2] % 1000) * 0.1f - 50.0f);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_DOUBLE_EQ(p.vx, ((r[3] % 1000) * 0.0001 - 0.05 + SpawnDirection.x) * ((r[5] % 5000) - 2500));
    EXPECT_DOUBLE_EQ(p.vy, ((r[4] % 1000) * 0.0001 - 0.05 + SpawnDirection.y) * ((r[6] % 5000) - 2500));
    EXPECT_EQ(p.vz, 0.0);
    for (int j = 0; j < ParticleTrailLength; ++j) {
        EXPECT_EQ(p.trailX[j], p.x);
        EXPECT_EQ(p.trailY[j], p.y);
    }
    EXPECT_EQ(std::rand(), r[7]);  // exactly seven were taken
}

TEST_F(SwarmTest, CountNeverLeavesItsRange) {
    RetireParticle();
    EXPECT_EQ(ParticleCount, 0);
    ParticleCount = ParticleCapacity;
    SpawnParticle(0);
    EXPECT_EQ(ParticleCount, ParticleCapacity);
    SpawnParticle(ParticleCapacity);  // no such record: nothing changes
    EXPECT_EQ(ParticleCount, ParticleCapacity);
}

TEST_F(SwarmTest, OneSpawnPerFrameUpToCapacityThenRebirthKeepsTheCount) {
    for (int frame = 1; frame <= 900; ++frame) {
        DrawParticleSwarm(true);
        ASSERT_EQ(ParticleCount, std::min(frame, int(ParticleCapacity))) << frame;
    }
    DrawParticleSwarm(false);
    EXPECT_EQ(ParticleCount, ParticleCapacity);
}

// A particle at rest on the attractor has nowhere to go: it stays there,
// drawn every frame, which also makes its opacity easy to follow.
TEST_F(SwarmTest, ParticleOnTheAttractorGetsNoAcceleration) {
    Particle& p = PlaceParticle(0.0f, 0.0f);
    DrawParticleSwarm(false);
    EXPECT_EQ(p.ax, 0.0);
    EXPECT_EQ(p.ay, 0.0);
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_TRUE(std::isfinite(p.vx) && std::isfinite(p.vy));
}

TEST_F(SwarmTest, OpacityRisesTo0375AtFrame125ThenFallsAndTheParticleIsRebornInPlace) {
    Particle& p = PlaceParticle(0.0f, 0.0f);
    float alphaAt125 = 0.0f;
    int rebornAt = 0;
    for (int frame = 1; frame <= 210 && !rebornAt; ++frame) {
        ClearDrawn();
        DrawParticleSwarm(false);
        ASSERT_EQ(SpritesDrawn(), 1);
        if (frame == 125) alphaAt125 = Drawn.primitives[0].alpha;
        if (p.life == 1.0f) rebornAt = frame;
    }
    EXPECT_NEAR(alphaAt125, 0.375f, 0.006f);
    // 200 float steps of 0.005 leave life a hair above 0, so the rebirth
    // comes at the end of frame 201.
    EXPECT_EQ(rebornAt, 201);
    EXPECT_EQ(ParticleCount, 1);
    EXPECT_EQ(p.fadeIn, 1.0f);
}

TEST_F(SwarmTest, ForceIsCappedAt300AndThePushAtMinus600) {
    Particle& p = PlaceParticle(1.0f, 0.0f);
    DrawParticleSwarm(false);
    EXPECT_EQ(p.force, 300.0f);
    EXPECT_DOUBLE_EQ(p.ax, -300.0);
    EXPECT_DOUBLE_EQ(p.vx, -300.0);
    EXPECT_FLOAT_EQ(p.x, 1.0f - 300.0f / 2000.0f);

    AttractorStrength = AttractorPush;
    BackgroundFade = 0.0f;
    Particle& q = PlaceParticle(0.0f, -2.0f);
    DrawParticleSwarm(false);
    EXPECT_EQ(q.force, -600.0f);
    EXPECT_DOUBLE_EQ(q.ay, -600.0);
}

TEST_F(SwarmTest, FarForceIsInverseSquareAndScaledByFrameStep) {
    FrameStep = 2.0f;
    Particle& p = PlaceParticle(0.0f, 50.0f);
    DrawParticleSwarm(false);
    EXPECT_FLOAT_EQ(p.force, 2500.0f / 2500.0f * 2.0f);
    EXPECT_DOUBLE_EQ(p.ay, -2.0);
    EXPECT_FLOAT_EQ(p.y, 50.0f - 2.0f / 2000.0f * 2.0f);
}

// The menu sets the push and resets the cross-fade; the cross-fade then
// raises BackgroundFade by 0.01 before the swarm runs in each frame.
TEST_F(SwarmTest, PushLastsExactlyThe101CrossFadeFrames) {
    PlaceParticle(30.0f, 0.0f);
    AttractorStrength = AttractorPush;
    BackgroundFade = 0.0f;
    DrawParticleSwarm(false);  // the frame of the pick
    int pushFrames = 0;
    for (int frame = 0; frame < 200; ++frame) {
        if (BackgroundFade < 1.0f) BackgroundFade += 0.01f;
        if (AttractorStrength < 0.0f) ++pushFrames;
        DrawParticleSwarm(false);
    }
    EXPECT_EQ(pushFrames, 101);
    EXPECT_EQ(AttractorStrength, AttractorPull);
}

TEST_F(SwarmTest, PushWithoutACrossFadeEndsAfterOneFrame) {
    AttractorStrength = AttractorPush;
    DrawParticleSwarm(false);
    EXPECT_EQ(AttractorStrength, AttractorPull);
}

TEST_F(SwarmTest, ParticlesOutsideTheBandMoveUnseen) {
    for (float y : {90.0f, -90.0f, 95.0f}) {
        ClearDrawn();
        Particle& p = PlaceParticle(0.0f, y);
        DrawParticleSwarm(false);
        EXPECT_EQ(SpritesDrawn(), 0) << y;
        EXPECT_NE(p.y, y) << y;
        ParticleCount = 0;
    }
    ClearDrawn();
    PlaceParticle(0.0f, 89.9f);
    DrawParticleSwarm(false);
    EXPECT_EQ(SpritesDrawn(), 1);
}

TEST_F(SwarmTest, SpriteAndTrailAsDrawn) {
    TextureTable[32] = 777;
    Particle& p = PlaceParticle(10.0f, 20.0f);
    p.vx = 2000.0;  // one unit per frame to the right, before the pull
    for (int frame = 0; frame < 12; ++frame) {
        ClearDrawn();
        DrawParticleSwarm(false);
    }
    ASSERT_EQ(Drawn.primitives.size(), 4u);
    const RecordedPrimitive& sprite = Drawn.primitives[0];
    EXPECT_EQ(sprite.texture, 777u);
    EXPECT_TRUE(sprite.textured);
    ASSERT_EQ(sprite.vertices.size(), 4u);
    // Eye coordinates: the swarm's frame sits at (150, 0, -200).
    EXPECT_FLOAT_EQ(sprite.vertices[0].x, 150.0f + p.trailX[0] + 4.0f);
    EXPECT_FLOAT_EQ(sprite.vertices[0].y, p.trailY[0] + 4.0f);
    EXPECT_FLOAT_EQ(sprite.vertices[3].x, 150.0f + p.trailX[0] - 4.0f);
    EXPECT_FLOAT_EQ(sprite.vertices[3].z, -200.0f);
    const float alpha = sprite.alpha;
    for (int segment = 0; segment < 3; ++segment) {
        const RecordedPrimitive& line = Drawn.primitives[1 + segment];
        EXPECT_EQ(line.mode, GLenum(GL_LINES));
        EXPECT_FALSE(line.textured);
        EXPECT_FLOAT_EQ(line.alpha, alpha - 0.3f * segment);
        EXPECT_FLOAT_EQ(line.vertices[0].x, 150.0f + p.trailX[3 * segment]);
        EXPECT_FLOAT_EQ(line.vertices[1].x, 150.0f + p.trailX[3 * segment + 3]);
    }
    // The newest trail entry is the position before this frame's move.
    EXPECT_LT(p.trailX[9], p.trailX[0]);
    EXPECT_GT(p.x, p.trailX[0]);
    EXPECT_TRUE(Drawn.texture2d);
    EXPECT_FALSE(Drawn.blend);
    EXPECT_TRUE(Drawn.depthTest);
}

}  // namespace
