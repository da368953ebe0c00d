#include "tools/soundgen/sound_files.h"

#include "tools/soundgen/intro_score.h"
#include "tools/soundgen/mo3_writer.h"
#include "tools/soundgen/mp3_encoder.h"
#include "tools/soundgen/song_composer.h"

#include <cstdio>

const char* const SoundFileNames[SoundFileCount] = {
    "TB15Intro.mp3", "01-orrin-tb15b.mo3", "02-Zanthe.mo3", "03-orn-tb15.mo3", "04-fourth place.mo3",
};

std::vector<uint8_t> GenerateSoundFile(int n)
{
    if (n == 0)
        return EncodeMp3(ComposeIntro(), IntroSampleRate, IntroMp3KilobitsPerSecond);
    if (n < 1 || n >= SoundFileCount)
        return {};
    return WriteMo3(ComposeSong(n - 1));
}

namespace {

// Opens before composing, so a bad directory fails before seconds of work.
bool MakeFile(const std::string& path, int n)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const std::vector<uint8_t> bytes = GenerateSoundFile(n);
    const bool written = !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        std::remove(path.c_str());  // no half-written file for the pack to pick up
    return written && closed;
}

} // namespace

bool WriteSoundFiles(const std::string& outDir)
{
    for (int n = 0; n < SoundFileCount; ++n) {
        const std::string path = outDir + "/" + SoundFileNames[n];
        if (!MakeFile(path, n)) {
            std::fprintf(stderr, "soundgen: can't make %s\n", path.c_str());
            return false;
        }
    }
    return true;
}
