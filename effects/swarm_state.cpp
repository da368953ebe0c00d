// The swarm's shared state, apart from its drawing so that the menu can set
// the attractor without linking the swarm's GL code.
#include "effects/swarm.h"

#include <cmath>

Particle ParticlePool[ParticleCapacity];
SwarmState Swarm = SwarmStart;

void AimSpawnDirection() {
    const double theta = 0.5;
    const double phi = 0.5;
    Swarm.SpawnDirection = {std::cos(theta) * std::sin(phi), std::sin(theta) * std::sin(phi), std::cos(phi)};
}
