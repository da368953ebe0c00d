#include "tests/sound/sound_decode.h"

#include <fftw3.h>
#include <mpg123.h>

#include <cmath>

namespace {

constexpr int FftFrames = 1024;
constexpr int BassBins = 10;

void AppendFrames(DecodedAudio& audio, const float* frames, size_t floats)
{
    for (size_t i = 0; i + 1 < floats; i += 2) {
        audio.left.push_back(frames[i]);
        audio.right.push_back(frames[i + 1]);
    }
}

} // namespace

DecodedAudio DecodeMp3(const std::vector<uint8_t>& bytes)
{
    DecodedAudio audio;
    mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
    if (!decoder)
        return audio;
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_QUIET, 0.0);
    mpg123_open_feed(decoder);
    std::vector<unsigned char> out(1 << 16);
    size_t produced = 0;
    int result = mpg123_decode(decoder, bytes.data(), bytes.size(), out.data(), out.size(), &produced);
    while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
        if (result == MPG123_NEW_FORMAT) {
            int encoding = 0;
            mpg123_getformat(decoder, &audio.rate, &audio.channels, &encoding);
        }
        AppendFrames(audio, reinterpret_cast<const float*>(out.data()), produced / sizeof(float));
        result = mpg123_decode(decoder, nullptr, 0, out.data(), out.size(), &produced);
    }
    AppendFrames(audio, reinterpret_cast<const float*>(out.data()), produced / sizeof(float));
    mpg123_delete(decoder);
    return audio;
}

std::vector<float> BassTrace(const DecodedAudio& audio, size_t hopFrames)
{
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

std::string ModuleMetadata(openmpt_module* module, const char* key) {
    const char* value = openmpt_module_get_metadata(module, key);
    std::string text = value ? value : "";
    openmpt_free_string(value);
    return text;
}
