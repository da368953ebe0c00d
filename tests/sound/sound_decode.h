// Reading the generated sound back for the sound tests: MP3 through
// libmpg123, modules through libopenmpt, and the bass measure the intro
// noise flicker uses.
#pragma once

#include "tests/audio/sound_fixtures.h"
#include "tools/soundgen/tracker_song.h"

#include <libopenmpt/libopenmpt.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Mean magnitude of the 10 lowest of 512 bins of 1024-frame Hann-windowed
// FFTs of the left+right average, one value per `hopFrames`. Magnitudes are
// scaled so a full-scale sine puts 1.0 into its bin.
std::vector<float> BassTrace(const DecodedAudio& audio, size_t hopFrames);

struct ModuleDeleter {
    void operator()(openmpt_module* module) const { openmpt_module_destroy(module); }
};
using ModuleHandle = std::unique_ptr<openmpt_module, ModuleDeleter>;

ModuleHandle LoadModule(const std::vector<uint8_t>& bytes);
// One metadata field of a loaded module ("type", "title", ...); "" when absent.
std::string ModuleMetadata(openmpt_module* module, const char* key);
// Cells (and pattern lengths) the module reads back differently from the song.
int CellMismatches(openmpt_module* module, const TrackerSong& song);

// A module rendered with nearest-sample interpolation until it stops or
// maxFrames have passed.
struct RenderFigures {
    size_t frames = 0;
    size_t crossings = 0;  // zero crossings of the left channel
    float peak = 0.0f;     // of both channels
};
RenderFigures RenderToEnd(openmpt_module* module, int rate, size_t maxFrames);
