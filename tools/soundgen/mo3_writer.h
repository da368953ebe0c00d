// Writes a TrackerSong as an MO3 module (Un4seen's packed module format):
// the IT-flavoured music data in MO3's own packed scheme, then the samples
// as plain 16-bit PCM (MO3 lets each sample choose its coding; lossless PCM
// keeps the generator free of an MP3/Ogg sample encoder).
#pragma once

#include "tools/soundgen/tracker_song.h"

#include <cstdint>
#include <vector>

// The whole file. The song must be well formed (see ValidateTrackerSong);
// an ill-formed song yields an empty vector.
std::vector<uint8_t> WriteMo3(const TrackerSong& song);

// True when every count, index and size of the song fits the format.
bool ValidateTrackerSong(const TrackerSong& song);

// MO3's packing of the music data (an LZ77 scheme with gamma-coded control
// bits, described in mo3_packer.cpp), exposed for the tests.
std::vector<uint8_t> PackMo3MusicData(const std::vector<uint8_t>& plain);
