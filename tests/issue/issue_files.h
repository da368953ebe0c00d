// Reading the generated issue in tests: where it lies and what its PNG files
// hold.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// build/issue/data, and the staging directories artgen and soundgen write into.
std::string IssueDataDir();
std::string ArtStagingDir();
std::string SoundStagingDir();
std::string ArtgenProgram();

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

struct PngFacts {
    bool ok = false;
    int width = 0, height = 0;
    bool trueColour = false, alpha = false;  // 8-bit colour without a palette
    std::vector<uint8_t> rgba;               // width * height * 4, rows from the top
};
PngFacts ReadPngFile(const std::string& path);

// The members the issue packs into data/Data.pak.
extern const char* const PackedMembers[7];
