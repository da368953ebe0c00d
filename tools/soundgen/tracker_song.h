// The tracker song as the generator composes it, before it is written in
// any file format: sample-mode patterns (no instruments), one sample per
// sound, notes numbered as trackers display them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Note numbers of a pattern cell: 1..120 are C-0..B-9 (61 is C-5, the pitch
// a sample plays at its C5 speed); 0 leaves the channel alone.
constexpr uint8_t NoNote = 0;
constexpr uint8_t NoteC5 = 61;
constexpr uint8_t HighestNote = 120;
constexpr uint8_t NoteCut = 254;  // silences the channel at once
constexpr uint8_t NoVolume = 255; // the volume column is empty
constexpr int MaxSongChannels = 64;
constexpr int MaxPatternRows = 256;

struct TrackerSample {
    std::string name;
    std::vector<int16_t> pcm;   // mono, signed 16-bit
    uint32_t c5Speed = 22050;   // playback rate of note C-5
    uint8_t volume = 64;        // default volume, 0..64
    uint16_t pan = 128;         // 0 (left)..256 (right); every note of the sample sits there
    bool loop = false;
    uint32_t loopStart = 0;     // in sample frames; loopEnd is exclusive
    uint32_t loopEnd = 0;
};

struct TrackerCell {
    uint8_t note = NoNote;
    uint8_t sample = 0;          // 1-based sample number, 0 for none
    uint8_t volume = NoVolume;   // 0..64 or NoVolume
};

struct TrackerPattern {
    int rows = 64;
    std::vector<TrackerCell> cells;  // rows × channels, row by row
};

struct TrackerSong {
    std::string title;
    int channels = 8;
    int speed = 6;                  // ticks per row
    int tempo = 125;                // beats per minute as trackers count them
    uint8_t globalVolume = 128;     // 0..128
    std::vector<TrackerSample> samples;
    std::vector<TrackerPattern> patterns;
    std::vector<uint8_t> orders;    // pattern numbers, played once in this order
};

// Cell access for the composer; the pattern must hold rows × channels cells.
inline TrackerCell& CellAt(TrackerPattern& pattern, int channels, int row, int channel)
{
    return pattern.cells[static_cast<size_t>(row) * channels + channel];
}
