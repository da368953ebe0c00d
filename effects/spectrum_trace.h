// The music's spectrum as a glowing vertical line along the left edge of the
// magazine scene.
#pragma once

// Bins 2..128 of Spectrum, one doubled segment per neighbouring pair. Expects
// the magazine's perspective projection and the blend function source alpha,
// one; leaves texturing on, blending off and the depth test on.
void DrawSpectrumTrace();
