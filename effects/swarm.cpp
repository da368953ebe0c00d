// Particle swarm: immediate mode, two triangles and three trail segments per
// visible particle in two batches a frame, one texture for all sprites,
// nothing allocated.
//
// Fading counts plain frames (a particle lives 200 frames at any frame rate);
// attraction and motion are scaled by Frame.FrameStep. The attractor sits at the
// origin of the swarm's frame, which lies at eye (150, 0, -200).
#include "effects/swarm.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "app/frame.h"
#include "render/primitives.h"
#include "resources/textures.h"

namespace {

constexpr int32_t ParticleSlot = 32;  // "data/Particle.png"
constexpr float SpriteHalfSize = 4.0f;
constexpr float VisibleBand = 90.0f;  // particles at |y| >= 90 move unseen
constexpr float ForceCap = 300.0f;
constexpr float PushCap = -600.0f;
constexpr float FadeInStep = 0.008f;

// A random value in 0..n-1 on rand()'s sequence; the spawn draws seven in a
// fixed order so that a seeded run repeats exactly.
int RandomBelow(int n) { return std::rand() % n; }

void ShiftTrail(Particle& p) {
    for (int j = ParticleTrailLength - 1; j > 0; --j) {
        p.trailX[j] = p.trailX[j - 1];
        p.trailY[j] = p.trailY[j - 1];
        p.trailZ[j] = p.trailZ[j - 1];
    }
    p.trailX[0] = p.x;
    p.trailY[0] = p.y;
    p.trailZ[0] = p.z;
}

// Two triangles with the strip's own vertex order (0 1 2, then 2 1 3), so
// each sprite covers the pixels one strip of it would.
void EmitSprite(const Particle& p, float alpha) {
    static const float Corners[4][4] = {{1, 1, 1, 1}, {0, 1, -1, 1}, {1, 0, 1, -1}, {0, 0, -1, -1}};
    static const int Order[6] = {0, 1, 2, 2, 1, 3};
    glColor4f(p.red, p.green, p.blue, alpha);
    for (int corner : Order) {
        const float* c = Corners[corner];
        glTexCoord2f(c[0], c[1]);
        glVertex3f(p.x + c[2] * SpriteHalfSize, p.y + c[3] * SpriteHalfSize, p.z);
    }
}

// Three segments over the ten-frame history (0-3, 3-6, 6-9), each older one
// 0.1 fainter per entry of age.
void EmitTrail(const Particle& p, float alpha) {
    for (int j = 0; j < ParticleTrailLength - 1; j += 3) {
        glColor4f(p.red, p.green, p.blue, alpha - 0.1f * j);
        glVertex3f(p.trailX[j], p.trailY[j], p.trailZ[j]);
        glVertex3f(p.trailX[j + 3], p.trailY[j + 3], p.trailZ[j + 3]);
    }
}

bool Visible(const Particle& p) { return p.y > -VisibleBand && p.y < VisibleBand; }

float Opacity(const Particle& p) { return p.life - p.fadeIn; }

// The blend is additive, so the order of sprites and trails does not change
// the sum: all sprites go in one batch, all trails in another, and texturing
// switches twice a frame instead of twice per particle.
void DrawSwarmBatches() {
    glBegin(GL_TRIANGLES);
    for (int32_t i = 0; i < Swarm.ParticleCount; ++i)
        if (Visible(ParticlePool[i])) EmitSprite(ParticlePool[i], Opacity(ParticlePool[i]));
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    for (int32_t i = 0; i < Swarm.ParticleCount; ++i)
        if (Visible(ParticlePool[i])) EmitTrail(ParticlePool[i], Opacity(ParticlePool[i]));
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

// Pull (or push) towards the origin, capped per step so that a particle
// close to the centre overshoots instead of accelerating without bound. A
// particle exactly on the attractor has no direction to go: it gets no
// acceleration that frame rather than a division by zero.
void Attract(Particle& p) {
    const float d2 = p.x * p.x + p.y * p.y;
    if (d2 == 0.0f) {
        p.force = 0.0f;
        p.ax = p.ay = p.az = 0.0;
        return;
    }
    float force = Swarm.AttractorStrength / d2 * Frame.FrameStep;
    if (force > ForceCap) force = ForceCap;
    if (force < PushCap) force = PushCap;
    p.force = force;
    const double d = std::sqrt(static_cast<double>(d2));
    p.ax = (0.0 - p.x) / d * force;
    p.ay = (0.0 - p.y) / d * force;
    p.az = (0.0 - p.z) / d * force;
}

void Move(Particle& p) {
    p.vx += p.ax;
    p.vy += p.ay;
    p.vz += p.az;
    const double scale = Frame.FrameStep / (p.mass * 1000.0);
    p.x = static_cast<float>(p.x + p.vx * scale);
    p.y = static_cast<float>(p.y + p.vy * scale);
    p.z = static_cast<float>(p.z + p.vz * scale);
}

void AgeParticle(Particle& p) {
    ShiftTrail(p);
    if (p.fadeIn > 0.0f) p.fadeIn -= FadeInStep;
}

void MoveParticle(int32_t index) {
    Particle& p = ParticlePool[index];
    Attract(p);
    Move(p);
    p.life -= p.decay;
    if (p.life <= 0.0f) {
        RetireParticle();
        SpawnParticle(index);
    }
}

}  // namespace

void SpawnParticle(int32_t index) {
    if (index < 0 || index >= ParticleCapacity) return;
    if (++Swarm.ParticleCount > ParticleCapacity) Swarm.ParticleCount = ParticleCapacity;
    Particle& p = ParticlePool[index];
    p.life = 1.0f;
    p.fadeIn = 1.0f;
    p.decay = 0.005f;
    const float grey = RandomBelow(256) / 256.0f;
    p.red = p.green = p.blue = grey;
    p.x = RandomBelow(1000) * 0.1f - 50.0f;
    p.y = RandomBelow(1000) * 0.1f - 50.0f;
    p.z = 0.0f;
    p.vx = RandomBelow(1000) * 0.0001 - 0.05 + Swarm.SpawnDirection.x;
    p.vy = RandomBelow(1000) * 0.0001 - 0.05 + Swarm.SpawnDirection.y;
    p.vz = 0.0;
    p.vx *= RandomBelow(5000) - 2500;
    p.vy *= RandomBelow(5000) - 2500;
    p.mass = 2.0f;
    for (int j = 0; j < ParticleTrailLength; ++j) {
        p.trailX[j] = p.x;
        p.trailY[j] = p.y;
        p.trailZ[j] = p.z;
    }
}

void RetireParticle() {
    if (Swarm.ParticleCount > 0) --Swarm.ParticleCount;
}

void DrawParticleSwarm(bool spawn) {
    glLineWidth(2.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(150.0f, 0.0f, -200.0f);
    if (spawn && Swarm.ParticleCount < ParticleCapacity) SpawnParticle(Swarm.ParticleCount);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TextureTable[ParticleSlot]);
    // Each particle is drawn where it is after its trail shift and fade, then
    // moved; a rebirth keeps the count, so the three passes see the same set.
    for (int32_t i = 0; i < Swarm.ParticleCount; ++i) AgeParticle(ParticlePool[i]);
    DrawSwarmBatches();
    for (int32_t i = 0; i < Swarm.ParticleCount; ++i) MoveParticle(i);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    // The push lasts exactly as long as the background cross-fade runs.
    if (!(Swarm.AttractorStrength < 0.0f && BackgroundFade < 1.0f)) Swarm.AttractorStrength = AttractorPull;
}
