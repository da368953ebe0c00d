// The sound files: the intro soundtrack and the four modules, under
// the names the program opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int SoundFileCount = 5;
constexpr int IntroMp3KilobitsPerSecond = 128;

extern const char* const SoundFileNames[SoundFileCount];  // intro first, then the modules in slot order

// The bytes of file n (0 = the intro soundtrack); empty if n is out of range
// or the encoder failed. The same n gives the same bytes on every run.
std::vector<uint8_t> GenerateSoundFile(int n);

// Writes all five files into the existing directory `outDir`. On failure
// prints one line naming the file to standard error and returns false.
bool WriteSoundFiles(const std::string& outDir);
