// Sound as a listener gets it: a private PulseAudio server with a null sink,
// the engine or the whole program playing into it on SDL's "pulseaudio"
// driver, and parec recording the sink's monitor.
#include "audio/audio.h"
#include "audio/engine.h"
#include "sound_fixtures.h"
#include "tests/release/program_harness.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double WindowSeconds = 0.1;  // loudness is measured per 100 ms
constexpr int WindowFrames = 4410;
constexpr double Heard = 0.05, Silent = 0.003;  // RMS, full scale 1

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// RMS of the left/right mean per window.
template <typename Sample>
std::vector<double> Loudness(size_t frames, Sample sample, size_t window = WindowFrames) {
    std::vector<double> windows;
    for (size_t start = 0; start + window <= frames; start += window) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) sum += sample(i) * sample(i);
        windows.push_back(std::sqrt(sum / window));
    }
    return windows;
}

// Mean loudness of windows [from, to) seconds after the first window above
// a whisper.
double SectionLoudness(const std::vector<double>& windows, double windowSeconds, double from, double to) {
    auto start = std::find_if(windows.begin(), windows.end(), [](double v) { return v > 0.02; });
    size_t first = size_t(start - windows.begin()) + size_t(from / windowSeconds);
    size_t last = std::min(windows.size(), size_t(start - windows.begin()) + size_t(to / windowSeconds));
    double sum = 0;
    for (size_t i = first; i < last; ++i) sum += windows[i] / double(last - first);
    return first < last ? sum : 0;
}

class PulseTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!StartPulseServer(server, why)) GTEST_SKIP() << "no PulseAudio server for this test: " << why;
        UsePulseServer(server);
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        home = std::filesystem::current_path();
        const char* scratch = EnterScratchDirectory();
        ASSERT_NE(scratch, nullptr);
        scratchDirectory = scratch;
        std::string recording = server.directory + "/heard.raw";
        int fd = open(recording.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        recorder = StartRecording(server, fd);
        close(fd);
        // parec takes a while to connect on a busy machine: the recording
        // starts with its first bytes.
        for (int tries = 0; tries < 500 && std::filesystem::file_size(recording) == 0; ++tries) SDL_Delay(10);
        ASSERT_GT(std::filesystem::file_size(recording), 0u) << "parec records nothing";
        recordingStart = Clock::now();
    }

    void TearDown() override {
        CloseSoundOutput();
        StopRecording(recorder);
        StopPulseServer(server);
        unsetenv("PULSE_SERVER");
        if (scratchDirectory.empty()) return;
        std::filesystem::current_path(home);
        std::filesystem::remove_all(scratchDirectory);
    }

    // Ends the recording: its loudness per window.
    std::vector<double> HeardLoudness(size_t window = WindowFrames) {
        StopRecording(recorder);
        recorder = -1;
        std::ifstream file(server.directory + "/heard.raw", std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        std::vector<int16_t> samples(bytes.size() / 2);
        memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return Loudness(samples.size() / 2, [&](size_t i) {
            return (samples[2 * i] + samples[2 * i + 1]) / 65536.0;
        }, window);
    }

    PulseServer server;
    int recorder = -1;
    Clock::time_point recordingStart;
    std::filesystem::path home, scratchDirectory;
};

struct Stretch {
    int32_t slot;
    int32_t mode;
    double from, to;  // seconds since the recording started
};

// Runs music frames every 10 ms with a check every 50 frames (0.5 s) until
// `done` says so; returns the stretches of one slot and mode.
template <typename Done>
std::vector<Stretch> RunMusic(Clock::time_point start, Done done) {
    std::vector<Stretch> stretches;
    for (int frame = 0; frame < 3000 && !done(stretches); ++frame) {
        MusicFrame(4.0f);
        double now = Seconds(start);
        if (stretches.empty() || stretches.back().slot != SongSelection || stretches.back().mode != MusicMode)
            stretches.push_back({SongSelection, MusicMode, now, now});
        stretches.back().to = now;
        SDL_Delay(10);
    }
    return stretches;
}

// Songs of 0.48, 0.6, 0.72 and 0.84 s (rows of 60 ms), which end on
// different rows.
const double SongSeconds[] = {0.48, 0.6, 0.72, 0.84};

void WriteSongs() {
    const char* files[] = {"data/01-orrin-tb15b.mo3", "data/02-Zanthe.mo3", "data/03-orn-tb15.mo3",
                           "data/04-fourth place.mo3"};
    for (int i = 0; i < ModuleCount; ++i) ASSERT_TRUE(WriteTestModule(files[i], 1, 8 + 2 * i, 3));
    SongSelection = FirstSongSlot;
    MusicMode = MusicOn;
    Audio = AudioStart;
    testing::internal::CaptureStdout();
    AudioInit();
    LoadModules();
    SetModuleScalers();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the server is there";
}

// The songs in turn, the silent gap, the first song again, then music off:
// each stretch of the frame log is heard or silent as it should be.
TEST_F(PulseTest, SongsFollowOneAnotherWithTheGapAndMusicOffIsSilent) {
    WriteSongs();
    bool offDone = false;
    std::vector<Stretch> log = RunMusic(recordingStart, [&](const std::vector<Stretch>& s) {
        if (s.size() == 6 && s.back().to - s.back().from > 0.4) MusicMode = MusicOff;
        offDone = s.size() == 7 && s.back().to - s.back().from > 1.0;
        return offDone;
    });
    ASSERT_TRUE(offDone);
    std::vector<double> heard = HeardLoudness();
    // The recording starts a little after recordingStart: the first song's
    // onset ties the two together.
    auto onset = std::find_if(heard.begin(), heard.end(), [](double v) { return v > Heard; });
    ASSERT_NE(onset, heard.end());
    double shift = (onset - heard.begin()) * WindowSeconds - log[0].from;
    EXPECT_LT(std::abs(shift), 0.5);
    const int32_t slots[] = {8, 9, 10, 11, 12, 8, 8};
    for (size_t i = 0; i < log.size(); ++i) {
        const Stretch& s = log[i];
        EXPECT_EQ(s.slot, slots[i]) << i;
        size_t from = size_t((s.from + shift + 0.15) / WindowSeconds), to = size_t((s.to + shift - 0.15) / WindowSeconds);
        ASSERT_LT(from, to);
        ASSERT_LE(to, heard.size());
        double loudest = *std::max_element(heard.begin() + from, heard.begin() + to);
        bool playing = s.slot != GapSongSlot && s.mode == MusicOn;
        if (playing) EXPECT_GT(loudest, Heard) << "stretch " << i << " (slot " << s.slot << ") is silent";
        else EXPECT_LT(loudest, Silent) << "stretch " << i << " (slot " << s.slot << ") is heard";
    }
}

// The server dies in the middle of the second song: the engine goes on on
// the dummy driver from the same place, and the songs keep their pace.
TEST_F(PulseTest, LosingTheServerMidSongChangesNothingButTheSound) {
    WriteSongs();
    Clock::time_point killed{};
    uint32_t before = 0, lowestAfter = NoPosition;
    std::vector<Stretch> log = RunMusic(Clock::now(), [&](const std::vector<Stretch>& s) {
        if (s.size() == 2 && server.pid > 0 && s.back().to - s.back().from > 0.25) {
            before = Audio.IntroClock;
            kill(server.pid, SIGKILL);
            killed = Clock::now();
            StopPulseServer(server);
        } else if (s.size() == 2 && server.pid < 0) {
            lowestAfter = std::min(lowestAfter, Audio.IntroClock);
        }
        return s.size() == 7;
    });
    ASSERT_EQ(log.size(), 7u);
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    EXPECT_GT(before >> 16, 0u) << "the second song was under way";
    EXPECT_GE(lowestAfter, before) << "the song went back";
    const int32_t slots[] = {8, 9, 10, 11, 12, 8, 9};
    for (size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].slot, slots[i]);
    // A song is found ended within two checks of about 0.5 s, never before
    // its end; the gap lasts one check.
    for (size_t i = 2; i < 5; ++i) {
        double length = log[i].to - log[i].from, least = i == 4 ? 0.45 : SongSeconds[i];
        EXPECT_GT(length, least) << "slot " << log[i].slot;
        EXPECT_LT(length, least + 1.5) << "slot " << log[i].slot;
    }
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - killed).count(), 8.0);
}

// The whole program: the intro heard as the soundtrack's loudness goes, then
// the magazine's music, its server killed, and the program ends normally.
TEST_F(PulseTest, TheProgramIsHeardAndOutlivesItsServer) {
    ProgramRun run;
    ASSERT_TRUE(StartDisplay(run)) << "no Xvfb";
    ASSERT_TRUE(PrepareIssueCopy(run, "pulse")) << "no generated issue";
    run.program = fork();
    if (run.program == 0) {
        if (chdir(run.workDir.c_str()) != 0) _exit(127);
        freopen(run.outputPath.c_str(), "w", stdout);
        freopen(run.errorPath.c_str(), "w", stderr);
        setenv("DISPLAY", (":" + std::to_string(run.display)).c_str(), 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        std::string binary = std::string(getenv("TB_BINARY_DIR")) + "/tallyboard";
        execl(binary.c_str(), "tallyboard", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
    Sleep(30.0);
    // Sections last seconds: loudness per half second.
    std::vector<double> heard = HeardLoudness(WindowFrames * 5);
    std::ifstream mp3(std::string(getenv("TB_BINARY_DIR")) + "/issue-sound/TB15Intro.mp3", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(mp3), {}};
    DecodedAudio soundtrack = DecodeMp3(bytes);
    ASSERT_GT(soundtrack.left.size(), 44100u * 30);
    std::vector<double> expected = Loudness(size_t(25.0 * 44100), [&](size_t i) {
        return 0.5 * (soundtrack.left[i] + soundtrack.right[i]);
    }, WindowFrames * 5);
    EXPECT_GT(*std::max_element(heard.begin(), heard.end()), Heard) << "the intro is silent";
    // From the heartbeat to the groove that starts at the opening the
    // soundtrack grows louder; what is heard must grow as much (within 25 %).
    double quiet = SectionLoudness(heard, 0.5, 1, 12), loud = SectionLoudness(heard, 0.5, 17.5, 23.5);
    double growth = SectionLoudness(expected, 0.5, 17.5, 23.5) / SectionLoudness(expected, 0.5, 1, 12);
    ASSERT_GT(quiet, 0) << "the intro was cut short";
    EXPECT_NEAR(loud / quiet / growth, 1.0, 0.25) << "heard " << quiet << " then " << loud << ", expected growth " << growth;

    Xdo(run, "mousemove 200 200 key space");
    Sleep(3.0);
    kill(server.pid, SIGKILL);
    StopPulseServer(server);
    Sleep(3.0);
    Xdo(run, "mousemove 200 200 key Escape");
    EXPECT_EQ(WaitForExit(run, 20.0), 0) << ProgramErrors(run);
    EXPECT_EQ(ProgramOutput(run), "");
    StopRun(run);
}

}  // namespace
