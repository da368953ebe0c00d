// Figures, not a test: how well the intro clock follows what is heard, through
// a private PulseAudio server, and the audio thread's CPU share meanwhile.
//
//   bench_sync [intro.mp3]     (default: $TB_BINARY_DIR/issue-sound/TB15Intro.mp3)
//
// The engine plays the intro stream into the server's null sink while parec
// records the sink's monitor and a loop at 75 frames per second reads the
// stream's position, as the intro frames do.
//
// Two time bases are tied together on the steady clock:
//  - The recording: parec's output arrives in chunks through a pipe; each
//    chunk is stamped when read. Recorded frame r cannot have been played
//    later than the stamp of the chunk that holds it, so the start of the
//    recording is at most min(stamp - frames so far / rate) over all chunks;
//    that lower envelope is taken as the start (the median margin above it
//    is printed: the error is at most that delivery delay).
//  - The clock: each frame's position is stamped when read; the moment the
//    clock passes a stream position is interpolated between two frames.
// Beat onsets are found in the decoded soundtrack (rises of the energy in
// 10 ms steps), placed in the recording by cross-correlating the first
// difference of the waveform around each one (following the lag from onset
// to onset, so playback that skipped or paused is followed too), and their
// heard moments compared with the moments the clock passes the same stream
// positions. The cue points are placed the same way. Offset > 0: the clock
// is late.
#include "app/intro_cues.h"
#include "audio/engine.h"
#include "sound_fixtures.h"

#include <dirent.h>
#include <mpg123.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

struct DecodedAudio {
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;
};

void AppendFrames(DecodedAudio& audio, const float* frames, size_t floats) {
    for (size_t i = 0; i + 1 < floats; i += 2) {
        audio.left.push_back(frames[i]);
        audio.right.push_back(frames[i + 1]);
    }
}

// Whole stream; rate 0 when the data is not a decodable MP3.
DecodedAudio DecodeMp3(const std::vector<uint8_t>& bytes) {
    DecodedAudio audio;
    mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
    if (!decoder) return audio;
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

const int cues[] = {StrobeCue, OpeningCue, FirstFlashCue, SecondFlashCue, SecondTitleCue, ThirdTitleCue, PictureFadeCue};
using Clock = std::chrono::steady_clock;
constexpr double Rate = OutputRate;
constexpr int Hop = 441;  // 10 ms

double Since(Clock::time_point origin, Clock::time_point t) { return std::chrono::duration<double>(t - origin).count(); }

struct Recording {
    std::vector<float> mono;
    std::vector<double> envelopeStarts;  // stamp - frames so far / rate, per chunk
};

void Record(int fd, Clock::time_point origin, Recording* recording) {
    std::vector<int16_t> chunk(4096);
    size_t pending = 0;  // bytes of a frame split across reads
    char* bytes = reinterpret_cast<char*>(chunk.data());
    for (;;) {
        ssize_t n = read(fd, bytes + pending, chunk.size() * 2 - pending);
        if (n <= 0) return;
        Clock::time_point stamp = Clock::now();
        size_t total = pending + size_t(n), frames = total / 4;
        for (size_t i = 0; i < frames; ++i) recording->mono.push_back((chunk[2 * i] + chunk[2 * i + 1]) / 65536.0f);
        pending = total % 4;
        memmove(bytes, bytes + frames * 4, pending);
        recording->envelopeStarts.push_back(Since(origin, stamp) - recording->mono.size() / Rate);
    }
}

// CPU seconds of SDL's audio thread ("SDLAudioP..."), from /proc.
double AudioThreadCpu() {
    double seconds = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* task = tasks ? readdir(tasks) : nullptr) {
        std::string base = std::string("/proc/self/task/") + task->d_name;
        std::ifstream comm(base + "/comm");
        std::string name;
        if (!std::getline(comm, name) || name.rfind("SDLAudioP", 0) != 0) continue;
        std::ifstream stat(base + "/stat");
        std::string text{std::istreambuf_iterator<char>(stat), {}};
        unsigned long user = 0, system = 0;
        if (sscanf(text.c_str() + text.rfind(')') + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                   &system) == 2)
            seconds += double(user + system) / sysconf(_SC_CLK_TCK);
    }
    if (tasks) closedir(tasks);
    return seconds;
}

struct FrameRead {
    double t;
    uint32_t bytes;
};

// Energy rises in 10 ms steps: the frame where a step holds at least four
// times the mean of the eight before and is loud enough to be a beat,
// at least 200 ms after the previous onset.
std::vector<double> Energy(const std::vector<float>& mono) {
    std::vector<double> energy;
    for (size_t start = 0; start + Hop <= mono.size(); start += Hop) {
        double sum = 0;
        for (size_t i = start; i < start + Hop; ++i) sum += mono[i] * mono[i];
        energy.push_back(sum / Hop);
    }
    return energy;
}

// The lag in whole steps, from `low` to `high`, at which the recording's
// energy best follows `span` steps of the stream's from `from` (normalised
// correlation).
long EnergyLag(const std::vector<double>& stream, const std::vector<double>& heard, size_t from, size_t span,
               long low, long high) {
    span = std::min(span, stream.size() - std::min(from, stream.size()));
    long best = low;
    double bestScore = -2;
    for (long lag = std::max(low, -long(from)); lag <= high && long(from) + lag + long(span) <= long(heard.size()); ++lag) {
        double ma = 0, mb = 0, ab = 0, aa = 0, bb = 0;
        for (size_t i = from; i < from + span; ++i) ma += stream[i] / span, mb += heard[i + lag] / span;
        for (size_t i = from; i < from + span; ++i) {
            ab += (stream[i] - ma) * (heard[i + lag] - mb);
            aa += (stream[i] - ma) * (stream[i] - ma);
            bb += (heard[i + lag] - mb) * (heard[i + lag] - mb);
        }
        double score = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : -1;
        if (score > bestScore) bestScore = score, best = lag;
    }
    return best;
}

std::vector<size_t> FindOnsets(const std::vector<double>& energy) {
    double loud = *std::max_element(energy.begin(), energy.end()) * 0.02;
    std::vector<size_t> onsets;
    if (energy.size() < 8) return onsets;
    for (size_t h = 8; h < energy.size(); ++h) {
        double before = 0;
        for (size_t k = h - 8; k < h; ++k) before += energy[k] / 8;
        bool spaced = onsets.empty() || h * Hop - onsets.back() >= Rate * 0.2;
        if (energy[h] > loud && energy[h] > 4 * before && spaced) onsets.push_back(h * Hop);
    }
    return onsets;
}

// The lag (recording index - stream index) that best matches `length`
// samples of the stream from `at`, searched within ±reach of `guess`; the
// normalised correlation there goes to *quality (1 = the same shape).
long MatchLag(const std::vector<float>& stream, const std::vector<float>& heard, size_t at, size_t length,
              long guess, long reach, double* quality) {
    long best = guess;
    double bestScore = -1e30;
    for (long lag = guess - reach; lag <= guess + reach; ++lag) {
        if (long(at) + lag < 0 || at + lag + length > heard.size() || at + length > stream.size()) continue;
        double score = 0;
        for (size_t i = 0; i < length; ++i) score += double(stream[at + i]) * heard[at + lag + i];
        if (score > bestScore) bestScore = score, best = lag;
    }
    double ss = 0, hh = 0;
    for (size_t i = 0; i < length && at + best + length <= heard.size() && long(at) + best >= 0; ++i)
        ss += double(stream[at + i]) * stream[at + i], hh += double(heard[at + best + i]) * heard[at + best + i];
    *quality = ss > 0 && hh > 0 ? bestScore / std::sqrt(ss * hh) : 0;
    return best;
}

// The first difference: transients stand out, so a low bass pulse cannot
// match one of its own cycles further on.
std::vector<float> Edges(const std::vector<float>& mono) {
    std::vector<float> edges(mono.size());
    for (size_t i = 1; i < mono.size(); ++i) edges[i] = mono[i] - mono[i - 1];
    return edges;
}

// The moment the clock first passed a stream frame, interpolated.
double ClockPasses(const std::vector<FrameRead>& frames, size_t streamFrame) {
    for (size_t f = 1; f < frames.size(); ++f) {
        double a = frames[f - 1].bytes / 4.0, b = frames[f].bytes / 4.0;
        if (b >= streamFrame && b > a)
            return frames[f - 1].t + (frames[f].t - frames[f - 1].t) * std::max(0.0, (streamFrame - a) / (b - a));
    }
    return NAN;
}

}  // namespace

int main(int argc, char** argv) {
    const char* binary = getenv("TB_BINARY_DIR");
    std::string mp3Path = argc > 1 ? argv[1] : std::string(binary ? binary : "build") + "/issue-sound/TB15Intro.mp3";
    std::ifstream mp3File(mp3Path, std::ios::binary);
    std::vector<uint8_t> mp3{std::istreambuf_iterator<char>(mp3File), {}};
    DecodedAudio decoded = DecodeMp3(mp3);
    if (decoded.rate != OutputRate) {
        fprintf(stderr, "bench_sync: %s is not a 44.1 kHz MP3\n", mp3Path.c_str());
        return 1;
    }
    std::vector<float> stream(decoded.left.size());
    for (size_t i = 0; i < stream.size(); ++i) stream[i] = 0.5f * (decoded.left[i] + decoded.right[i]);

    PulseServer server;
    std::string why;
    if (!StartPulseServer(server, why)) {
        fprintf(stderr, "bench_sync: %s\n", why.c_str());
        return 1;
    }
    UsePulseServer(server);
    std::filesystem::path home = std::filesystem::current_path();
    const char* scratch = EnterScratchDirectory();
    std::filesystem::copy_file(mp3Path, "data/intro.mp3");
    int pipeEnds[2];
    if (!scratch || pipe(pipeEnds) != 0) return 1;
    Clock::time_point origin = Clock::now();
    int recorder = StartRecording(server, pipeEnds[1]);
    close(pipeEnds[1]);
    Recording recording;
    std::thread reader(Record, pipeEnds[0], origin, &recording);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    if (!OpenSoundOutput()) {
        fputs("bench_sync: the PulseAudio output does not open\n", stderr);
        return 1;
    }
    uint32_t intro = CreateFileStream("data/intro.mp3");
    double cpuBefore = AudioThreadCpu();
    Clock::time_point playStart = Clock::now();
    StartOutput();
    PlayFromStart(intro);
    std::vector<FrameRead> frames;
    const uint32_t endBytes = uint32_t(stream.size() * 4);
    for (int f = 0; frames.empty() || frames.back().bytes < endBytes; ++f) {
        std::this_thread::sleep_until(playStart + std::chrono::microseconds(f * 13333));
        uint32_t bytes = ChannelPosition(intro);
        frames.push_back({Since(origin, Clock::now()), bytes});
        if (f > 75 * 80) break;  // the stream never reached its end
    }
    double playSeconds = Since(playStart, Clock::now());
    double cpu = AudioThreadCpu() - cpuBefore;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    CloseSoundOutput();
    StopRecording(recorder);
    reader.join();
    StopPulseServer(server);
    std::filesystem::current_path(home);
    std::filesystem::remove_all(scratch);

    // The recording's start on the steady clock (see the top).
    std::vector<double> starts = recording.envelopeStarts;
    std::sort(starts.begin(), starts.end());
    double recordingStart = starts.front();
    double median = starts[starts.size() / 2] - recordingStart;

    // Rough lag in 10 ms steps over the first 20 s, then each onset on its own.
    std::vector<double> streamEnergy = Energy(stream), heardEnergy = Energy(recording.mono);
    long lag = EnergyLag(streamEnergy, heardEnergy, 0, 2000, 0, 1000) * Hop;
    std::vector<size_t> onsets = FindOnsets(streamEnergy);
    std::vector<float> streamEdges = Edges(stream), heardEdges = Edges(recording.mono);
    std::vector<double> at, offsets;
    std::vector<long> lags;
    for (size_t onset : onsets) {
        if (onset < 1024) continue;
        // Follows the lag from onset to onset: playback that skipped or
        // paused moves it. Only clear matches count (a bass pulse alone can
        // match a neighbouring cycle).
        double quality = 0;
        long found = MatchLag(streamEdges, heardEdges, onset - 1024, 4096, lag, 2205, &quality);
        if (quality < 0.8) {  // lost: find the energy again within 2 s, over 3 s of it
            long step = onset / Hop, coarse = lag / Hop;
            coarse = EnergyLag(streamEnergy, heardEnergy, size_t(std::max(0L, step - 100)), 300, coarse - 200, coarse + 200);
            found = MatchLag(streamEdges, heardEdges, onset - 1024, 4096, coarse * Hop, 882, &quality);
        }
        double passed = ClockPasses(frames, onset);
        if (quality < 0.8 || std::isnan(passed)) continue;
        lag = found;
        lags.push_back(found);
        at.push_back(onset / Rate);
        offsets.push_back(passed - (recordingStart + (long(onset) + found) / Rate));
    }
    if (offsets.empty()) {
        fputs("bench_sync: no onsets matched\n", stderr);
        return 1;
    }
    double mean = 0, spread = 0;
    for (double o : offsets) mean += o / offsets.size();
    for (double o : offsets) spread += (o - mean) * (o - mean) / offsets.size();
    double ma = 0, slope = 0, var = 0;
    for (double t : at) ma += t / at.size();
    for (size_t i = 0; i < at.size(); ++i) slope += (at[i] - ma) * (offsets[i] - mean), var += (at[i] - ma) * (at[i] - ma);
    auto [low, high] = std::minmax_element(offsets.begin(), offsets.end());
    printf("soundtrack %.1f s, %zu of %zu beat onsets clearly matched, recording start known to %.1f ms (median delivery delay)\n",
           stream.size() / Rate, offsets.size(), onsets.size(), median * 1000);
    printf("offset clock - heard: mean %+.1f ms, spread (sd) %.1f ms, min %+.1f ms, max %+.1f ms\n", mean * 1000,
           std::sqrt(spread) * 1000, *low * 1000, *high * 1000);
    printf("drift over the intro: %+.2f ms per minute\n", var > 0 ? slope / var * 60000 : 0.0);
    // Frames the recording gained (+) or lost (-) between the first and the
    // last onset: gaps in playback or drops in the recording.
    printf("mean offset per 8 s of the intro:");
    for (double from = 0; from < stream.size() / Rate; from += 8) {
        double sum = 0;
        int n = 0;
        for (size_t i = 0; i < at.size(); ++i)
            if (at[i] >= from && at[i] < from + 8) sum += offsets[i], ++n;
        if (n) printf(" %+.0f", sum / n * 1000);
    }
    printf(" ms\n");
    int jumps = 0;
    for (size_t i = 1; i < lags.size(); ++i) jumps += std::abs(lags[i] - lags[i - 1]) > 44;
    printf("heard vs stream between first and last onset: %+ld frames, %d jumps of over 1 ms; recording start bound "
           "moved %+.1f ms\n",
           lags.back() - lags.front(), jumps,
           (*std::min_element(recording.envelopeStarts.end() - recording.envelopeStarts.size() / 10,
                              recording.envelopeStarts.end()) -
            recordingStart) * 1000);

    // The cue points themselves: the waveform from each cue, placed near the
    // lag of the closest onset.
    printf("at the cue points:");
    double cueLow = 1e9, cueHigh = -1e9;
    for (int cue : cues) {
        size_t position = size_t(cue) * 1000 / 4, nearest = 0;
        for (size_t i = 1; i < at.size(); ++i)
            if (std::abs(at[i] - position / Rate) < std::abs(at[nearest] - position / Rate)) nearest = i;
        double quality = 0;
        long found = MatchLag(streamEdges, heardEdges, position - 1024, 4096, lags[nearest], 2205, &quality);
        double offset = ClockPasses(frames, position) - (recordingStart + (long(position) + found) / Rate);
        cueLow = std::min(cueLow, offset), cueHigh = std::max(cueHigh, offset);
        printf(" %d: %+.1f ms (match %.2f)", cue, offset * 1000, quality);
    }
    printf("\nspread over the cue points: %.1f ms (max - min)\n", (cueHigh - cueLow) * 1000);

    double largestStep = 0;
    int still = 0;
    for (size_t f = 1; f < frames.size(); ++f) {
        if (frames[f].bytes >= endBytes || frames[f].bytes == 0) continue;
        largestStep = std::max(largestStep, (frames[f].bytes - frames[f - 1].bytes) / 4 / Rate);
        if (frames[f].bytes == frames[f - 1].bytes) ++still;
    }
    printf("clock at 75 frames per second: largest step %.1f ms (%.2f IntroClock units), %d of %zu frames without "
           "advance\n",
           largestStep * 1000, largestStep * Rate * 4 / 1000, still, frames.size());
    printf("audio thread: %.2f %% of one core (%.0f ms CPU in %.1f s)\n", 100 * cpu / playSeconds, cpu * 1000,
           playSeconds);
    return 0;
}
