// Particle swarm behind the magazine's menu: up to 648 soft grey sprites with
// short line trails circling an attractor at the origin of the swarm's frame.
// While a section cross-fade runs the attractor pushes instead of pulling.
#pragma once
#include <cstdint>

enum { ParticleCapacity = 648, ParticleTrailLength = 10 };

// Field order and widths are part of the design: positions and trails are
// floats, velocity and acceleration doubles.
struct Particle {
    float life;    // 1.0 at birth; reborn at 0 or below
    float decay;   // taken from life every frame
    float fadeIn;  // 1.0 at birth, falls to 0; opacity is life - fadeIn
    float red, green, blue;
    float x, y, z;
    float mass;
    float force;   // attractor force of the last update
    float trailX[ParticleTrailLength], trailY[ParticleTrailLength], trailZ[ParticleTrailLength];
    double vx, vy, vz;
    double ax, ay, az;
};

struct SwarmVector {
    double x, y, z;
};

constexpr float AttractorPull = 2500.0f;
constexpr float AttractorPush = -10000.0f;

struct SwarmState {
    int32_t ParticleCount = 0;                // records 0 .. ParticleCount - 1 of the pool are live
    float AttractorStrength = AttractorPull;  // AttractorPush after a section pick
    SwarmVector SpawnDirection = {};          // base direction of new particles (x and y used)
};
inline constexpr SwarmState SwarmStart{};
extern SwarmState Swarm;
extern Particle ParticlePool[ParticleCapacity];

// SpawnDirection from the fixed angles theta = phi = 0.5 radians; run once
// during resource initialisation.
void AimSpawnDirection();
// Raises ParticleCount (at most ParticleCapacity) and gives record index a
// new life, drawing seven values from rand().
void SpawnParticle(int32_t index);
// Lowers ParticleCount, never below 0.
void RetireParticle();
// One frame of the swarm: spawn (when asked and not full), draw, move, age.
// Leaves blending off, depth test on and texturing on.
void DrawParticleSwarm(bool spawn);
