// MP3 encoding of the intro soundtrack through LAME.
#pragma once

#include "tools/soundgen/intro_score.h"

#include <cstdint>
#include <vector>

// Constant bit rate, joint stereo, with the LAME/Info tag that lets decoders
// drop the encoder's padding. Empty on an encoder failure.
std::vector<uint8_t> EncodeMp3(const StereoSignal& pcm, int sampleRate, int kilobitsPerSecond);
