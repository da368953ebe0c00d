#include "tests/sound/sound_decode.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

std::vector<float> BassTrace(const DecodedAudio& audio, size_t hopFrames)
{
    constexpr int FftFrames = 1024, BassBins = 10;
    std::vector<float> trace;
    float* input = fftwf_alloc_real(FftFrames);
    fftwf_complex* spectrum = fftwf_alloc_complex(FftFrames / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(FftFrames, input, spectrum, FFTW_ESTIMATE);
    // A Hann window halves a sine's peak bin; 4/N undoes that and the FFT's N/2.
    const float scale = 4.0f / FftFrames;
    for (size_t start = 0; start + FftFrames <= audio.left.size(); start += hopFrames) {
        for (int i = 0; i < FftFrames; ++i) {
            const float hann = 0.5f - 0.5f * std::cos(6.2831853f * i / FftFrames);
            input[i] = hann * 0.5f * (audio.left[start + i] + audio.right[start + i]);
        }
        fftwf_execute(plan);
        float sum = 0.0f;
        for (int bin = 0; bin < BassBins; ++bin)
            sum += std::hypot(spectrum[bin][0], spectrum[bin][1]) * scale;
        trace.push_back(sum / BassBins);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(spectrum);
    fftwf_free(input);
    return trace;
}

ModuleHandle LoadModule(const std::vector<uint8_t>& bytes)
{
    return ModuleHandle(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr));
}

std::string ModuleMetadata(openmpt_module* module, const char* key)
{
    const char* value = openmpt_module_get_metadata(module, key);
    std::string text = value ? value : "";
    openmpt_free_string(value);
    return text;
}

int CellMismatches(openmpt_module* module, const TrackerSong& song)
{
    int mismatches = 0;
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const TrackerPattern& pattern = song.patterns[p];
        if (openmpt_module_get_pattern_num_rows(module, p) != pattern.rows) {
            ++mismatches;
            continue;
        }
        for (int row = 0; row < pattern.rows; ++row) {
            for (int channel = 0; channel < song.channels; ++channel) {
                const TrackerCell& cell = pattern.cells[static_cast<size_t>(row) * song.channels + channel];
                auto read = [&](int what) {
                    return openmpt_module_get_pattern_row_channel_command(module, p, row, channel, what);
                };
                mismatches += read(OPENMPT_MODULE_COMMAND_NOTE) != cell.note
                              || read(OPENMPT_MODULE_COMMAND_INSTRUMENT) != cell.sample
                              || (cell.volume != NoVolume && read(OPENMPT_MODULE_COMMAND_VOLUME) != cell.volume);
            }
        }
    }
    return mismatches;
}

RenderFigures RenderToEnd(openmpt_module* module, int rate, size_t maxFrames)
{
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
    RenderFigures figures;
    std::vector<float> left(4096), right(4096);
    float previous = 0.0f;
    size_t got;
    while (figures.frames < maxFrames
           && (got = openmpt_module_read_float_stereo(module, rate, left.size(), left.data(), right.data())) > 0) {
        for (size_t i = 0; i < got; ++i) {
            figures.crossings += (left[i] < 0.0f) != (previous < 0.0f) && std::fabs(left[i] - previous) > 1e-4f;
            figures.peak = std::max({figures.peak, std::fabs(left[i]), std::fabs(right[i])});
            previous = left[i];
        }
        figures.frames += got;
    }
    return figures;
}
