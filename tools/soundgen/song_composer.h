// Composes the magazine's four background songs as tracker songs: eight
// channels (kick, snare, hats, bass, three chord voices, lead) playing
// synthesised samples through 64-row patterns of four 16-row bars, arranged
// from an intro, two main parts, a break and an outro whose last notes are
// cut, and played once: the order list ends, so the song ends.
#pragma once

#include "tools/soundgen/tracker_song.h"

constexpr int SongCount = 4;

// Song 0..3, in the order of the magazine's song slots.
TrackerSong ComposeSong(int index);
