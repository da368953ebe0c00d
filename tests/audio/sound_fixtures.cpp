#include "sound_fixtures.h"

#include <lame/lame.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

static bool WriteBytes(const char* path, const std::vector<unsigned char>& bytes) {
    FILE* out = fopen(path, "wb");
    if (!out) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && written;
}

bool WriteSineMp3(const char* path, double seconds, double frequency, double amplitude) {
    const int rate = 44100, frames = static_cast<int>(seconds * rate);
    std::vector<float> samples(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * i / rate));
    lame_global_flags* encoder = lame_init();
    lame_set_in_samplerate(encoder, rate);
    lame_set_out_samplerate(encoder, rate);
    lame_set_num_channels(encoder, 2);
    lame_set_brate(encoder, 128);
    std::vector<unsigned char> mp3(static_cast<size_t>(frames) * 5 / 4 + 7200 + 8192);
    int size = lame_init_params(encoder) < 0 ? -1
               : lame_encode_buffer_ieee_float(encoder, samples.data(), samples.data(), frames, mp3.data(),
                                               static_cast<int>(mp3.size()));
    if (size >= 0) {
        int tail = lame_encode_flush(encoder, mp3.data() + size, static_cast<int>(mp3.size()) - size);
        size = tail < 0 ? -1 : size + tail;
    }
    // The first frame was kept for the LAME tag, which tells decoders the
    // encoder delay and padding to trim.
    std::vector<unsigned char> tag(4096);
    size_t tagSize = size < 0 ? 0 : lame_get_lametag_frame(encoder, tag.data(), tag.size());
    lame_close(encoder);
    if (size < 0 || tagSize > static_cast<size_t>(size)) return false;
    std::copy(tag.begin(), tag.begin() + static_cast<long>(tagSize), mp3.begin());
    mp3.resize(static_cast<size_t>(size));
    return WriteBytes(path, mp3);
}

static void PutCell(unsigned char* cell, int sample, int period, int effect, int parameter) {
    cell[0] = static_cast<unsigned char>((sample & 0xF0) | ((period >> 8) & 0x0F));
    cell[1] = static_cast<unsigned char>(period);
    cell[2] = static_cast<unsigned char>(((sample & 0x0F) << 4) | effect);
    cell[3] = static_cast<unsigned char>(parameter);
}

bool WriteTestModule(const char* path, int orders, int rows, int speed, int voices) {
    if (orders < 1 || orders > 128 || rows < 1 || rows > 64 || speed < 1 || speed > 31) return false;
    if (voices < 1 || voices > 4) return false;
    const int headerSize = 1084, patternSize = 64 * 4 * 4, toneLength = 32;
    std::vector<unsigned char> mod(headerSize + orders * patternSize + toneLength, 0);
    memcpy(mod.data(), "tallyboard test", 15);
    unsigned char* tone = mod.data() + 20;  // sample 1's header
    memcpy(tone, "tone", 4);
    tone[23] = tone[29] = toneLength / 2;  // length and loop length in words: looped whole
    tone[25] = 64;                         // volume
    for (int s = 1; s < 31; ++s) tone[30 * s + 29] = 1;  // unused: no loop
    mod[950] = static_cast<unsigned char>(orders);
    mod[951] = 127;
    for (int o = 0; o < orders; ++o) mod[952 + o] = static_cast<unsigned char>(o);
    memcpy(mod.data() + 1080, "M.K.", 4);
    // Busy voices walk a minor pentatonic run in ProTracker periods.
    static const int periods[] = {428, 360, 320, 285, 240, 214, 180, 160};
    for (int o = 0; o < orders; ++o) {
        unsigned char* pattern = mod.data() + headerSize + o * patternSize;
        if (voices > 1)
            for (int row = 1; row < rows; ++row)
                for (int voice = 0; voice < voices; ++voice)
                    PutCell(pattern + row * 16 + voice * 4, 1, periods[(row * 3 + voice * 5) % 8], 0, 0);
        PutCell(pattern, 1, 428, 0xF, speed);                  // row 0, channel 1: tone and speed
        PutCell(pattern + (rows - 1) * 16 + 4, 0, 0, 0xD, 0);  // pattern break, channel 2
    }
    unsigned char* wave = mod.data() + headerSize + orders * patternSize;
    for (int i = 0; i < toneLength; ++i)
        wave[i] = static_cast<unsigned char>(static_cast<signed char>(100 * std::sin(2.0 * M_PI * i / toneLength)));
    return WriteBytes(path, mod);
}

const char* EnterScratchDirectory() {
    static char directory[] = "/tmp/tb_audio_XXXXXX";
    strcpy(directory + strlen(directory) - 6, "XXXXXX");
    if (!mkdtemp(directory) || chdir(directory) != 0 || mkdir("data", 0755) != 0) return nullptr;
    return directory;
}
