// The flicker of six noise pictures over the whole window during the intro,
// pulsing with the bass of the intro soundtrack.
#pragma once

extern float NoisePhase;  // 0 up to just above 6; its whole part picks the picture

// One frame of the flicker at the opacity factor level (1.0, or the intro's end
// fade); draws over the whole window and advances NoisePhase.
void DrawIntroNoise(float level);
