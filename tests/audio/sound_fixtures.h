// Sound files made by the tests themselves: an MP3 of a sine (libmp3lame)
// and a small ProTracker module that plays once and ends.
#pragma once

// A stereo 44,100 Hz MP3 of a sine of the given frequency and amplitude
// (1.0 = full scale), the same on both channels.
bool WriteSineMp3(const char* path, double seconds, double frequency, double amplitude);

// A four-channel "M.K." module: `orders` patterns played once, each cut to
// `rows` rows (1..64) by a pattern break, at the given speed (ticks per row)
// and the default tempo 125, so a row lasts speed x 20 ms. Channel 1 plays
// a looped tone from row 0 of every pattern; with more voices (up to 4),
// channels 1..voices play a new note on every row.
bool WriteTestModule(const char* path, int orders, int rows, int speed, int voices = 1);

// Creates a fresh working directory holding an empty data/ and enters it;
// returns its path.
const char* EnterScratchDirectory();
