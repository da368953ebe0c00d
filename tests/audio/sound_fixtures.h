// Sound for the tests and benchmarks: files they make themselves (an MP3 of a
// sine, a small module that plays once and ends) and a private sound server
// to play into and record from.
#pragma once
#include "tools/soundgen/tracker_song.h"

#include <cstdint>
#include <string>
#include <vector>

// False when nothing or not all was written.
bool WriteFileBytes(const char* path, const std::vector<uint8_t>& bytes);
// A stereo 44,100 Hz MP3 of a sine of the given frequency and amplitude
// (1.0 = full scale), the same on both channels.
bool WriteSineMp3(const char* path, double seconds, double frequency, double amplitude);

// `cycles` periods of a sine of `periodFrames` frames at amplitude 20000.
TrackerSample SineSample(int periodFrames, int cycles, bool loop);
// A four-channel module of `orders` orders of one pattern of `rows` rows,
// played once at the given speed (ticks per row) and tempo 125, so a row
// lasts speed x 20 ms; channel 1 plays a looped tone from row 0.
TrackerSong TestModule(int orders, int rows, int speed);

// Creates a fresh working directory holding an empty data/ and enters it;
// returns its path.
const char* EnterScratchDirectory();

// A private PulseAudio server with one null sink ("tallyboard"), in a runtime
// directory of its own; its socket is `directory`/native.
struct PulseServer {
    int pid = -1;
    std::string directory;
};

// Starts the server and waits until it answers; false, with the reason in
// `why`, when it does not.
bool StartPulseServer(PulseServer& server, std::string& why);
// Ends the server by its process id and removes its directory.
void StopPulseServer(PulseServer& server);
// Points this process's sound clients (SDL, parec) at the server.
void UsePulseServer(const PulseServer& server);

// parec recording the sink's monitor, 44,100 Hz 16-bit stereo, into `fd`.
int StartRecording(const PulseServer& server, int fd);
// Ends parec by its process id.
void StopRecording(int pid);
