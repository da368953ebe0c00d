// The real sound engine with sound files the tests write themselves: on
// SDL's dummy driver, which consumes sound in real time, and as a listener
// gets it, through a private PulseAudio server with a null sink whose monitor
// parec records (with one run of the whole program).
#include "audio/audio.h"
#include "audio/engine_internal.h"
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

void Wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// Fills with a marker first, so a read that writes nothing does not pass.
bool SpectrumIsZero(uint32_t channel) {
    float spectrum[SpectrumBins];
    std::fill(spectrum, spectrum + SpectrumBins, 7.0f);
    ReadSpectrum(channel, spectrum);
    return std::all_of(spectrum, spectrum + SpectrumBins, [](float v) { return v == 0.0f; });
}

class EngineTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);  // a fall-back in an earlier test overrides it
        previousDirectory = std::filesystem::current_path();
        const char* scratch = EnterScratchDirectory();
        ASSERT_NE(scratch, nullptr);
        scratchDirectory = scratch;
    }

    void TearDown() override {
        CloseSoundOutput();
        std::filesystem::current_path(previousDirectory);
        std::filesystem::remove_all(scratchDirectory);
    }

    // Starts the output and plays a new channel from its start (a module in tenths of a row).
    static uint32_t Play(uint32_t channel) {
        EXPECT_NE(channel, 0u);
        SetModulePositionScaler(channel, 10);
        StartOutput();
        PlayFromStart(channel);
        return channel;
    }

    std::filesystem::path previousDirectory;
    std::filesystem::path scratchDirectory;
};

// On a desktop whose sound server is not there (the message, then the dummy
// output), the intro's clock and its noise flicker: bytes counted in real
// time, the sine's own bin at its amplitude, from a file deleted once it is
// read. Beside it, a short stream and one cut inside a frame end, keep their
// last position and go quiet.
TEST_F(EngineTest, StreamsClockRealTimeShowTheirSineAndEndEvenWhenCut) {
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/tallyboard/native", 1);
    testing::internal::CaptureStdout();
    AudioInit();
    unsetenv("PULSE_SERVER");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Couldn't init BASS\n");
    const int bin = 40;
    ASSERT_TRUE(WriteSineMp3("data/sine.mp3", 3.0, bin * 44100.0 / 1024, 0.5));
    ASSERT_TRUE(WriteSineMp3("data/short.mp3", 0.3, 440.0, 0.5));
    ASSERT_TRUE(WriteSineMp3("data/cut.mp3", 2.0, 440.0, 0.5));
    std::filesystem::resize_file("data/cut.mp3", std::filesystem::file_size("data/cut.mp3") / 8 + 37);
    uint32_t stream = CreateFileStream("Data/sine.mp3");  // names match in any case
    ASSERT_NE(stream, 0u);
    ASSERT_EQ(remove("data/sine.mp3"), 0);
    EXPECT_EQ(ChannelPosition(stream), 0u);
    EXPECT_TRUE(SpectrumIsZero(stream));  // created, never played
    const struct { const char* what; uint32_t handle; double low, high; } ending[] = {
        {"short", Play(CreateFileStream("data/short.mp3")), 0.25, 0.35},
        {"cut", Play(CreateFileStream("data/cut.mp3")), 0.1, 0.5},
    };
    Play(stream);
    auto start = std::chrono::steady_clock::now();
    uint32_t position = 0;
    for (int read = 0; read < 200; ++read, Wait(0.005)) {  // the clock never runs backwards
        uint32_t now = ChannelPosition(stream);
        ASSERT_GE(now, position);
        position = now;
    }
    double expected = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() *
                      OutputBytesPerSecond;
    // The dummy driver sleeps a buffer's length per buffer, so a loaded
    // machine can only make it late, never early by more than a buffer.
    EXPECT_GT(position, 0.75 * expected);
    EXPECT_LT(position, 1.08 * expected);
    EXPECT_EQ(position % 4, 0u);  // whole stereo frames
    float spectrum[SpectrumBins];
    ReadSpectrum(stream, spectrum);
    EXPECT_EQ(std::max_element(spectrum, spectrum + SpectrumBins) - spectrum, bin);
    EXPECT_NEAR(spectrum[bin], 0.5f, 0.08f);
    EXPECT_LT(spectrum[bin + 5], 0.01f);  // the window keeps the leak local
    EXPECT_LT(spectrum[0], 0.01f);
    StopChannel(stream);
    EXPECT_TRUE(SpectrumIsZero(stream));
    EXPECT_TRUE(SpectrumIsZero(0));
    for (const auto& ended : ending) {
        EXPECT_GT(ChannelPosition(ended.handle), ended.low * OutputBytesPerSecond) << ended.what;
        EXPECT_LT(ChannelPosition(ended.handle), ended.high * OutputBytesPerSecond) << ended.what;
        EXPECT_TRUE(SpectrumIsZero(ended.handle)) << ended.what;
    }
}

TEST_F(EngineTest, BadSoundFilesGiveNoChannel) {
    ASSERT_TRUE(OpenSoundOutput());
    FILE* junk = fopen("data/junk.bin", "wb");
    for (int i = 0; i < 20000; ++i) fputc((i * 7919) & 0xFF, junk);
    fclose(junk);
    fclose(fopen("data/empty.bin", "wb"));
    std::filesystem::create_directory("data/folder.mo3");
    fclose(fopen("data/huge.mp3", "wb"));
    std::filesystem::resize_file("data/huge.mp3", MaxSoundFileBytes + 1);  // sparse: costs no disk
    for (const char* path :
         {"data/missing.mp3", "data/junk.bin", "data/empty.bin", "data/folder.mo3", "data/huge.mp3"}) {
        EXPECT_EQ(CreateFileStream(path), 0u) << path;
        EXPECT_EQ(LoadModuleFile(path), 0u) << path;
    }
}

// A module's whole life: the music frame's end check relies on it stopping
// for good on its last row and restarting at order 0, row 0. Rows of 620 ms
// show the fine steps within a row. A freed handle stays dead even once its
// slot holds a new channel.
TEST_F(EngineTest, ModuleEndsRestartsStopsAndIsFreed) {
    ASSERT_TRUE(WriteTestModule("data/song.mod", 2, 2, 31));
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t module = Play(LoadModuleFile("data/song.mod"));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Wait(0.45);
    uint32_t early = ChannelPosition(module);
    EXPECT_EQ(early & 0xFFFF, 0u);  // order 0, row 0 well into it,
    EXPECT_GE(early >> 16, 2u);
    EXPECT_LE(early >> 16, 9u);  // but never the next row's value

    uint32_t end = ChannelPosition(module);
    for (int tries = 0; tries < 20; ++tries) {  // until the position stops changing
        Wait(0.25);
        uint32_t now = ChannelPosition(module);
        if (now == end) break;
        end = now;
    }
    EXPECT_EQ(end & 0xFFFF, 1u);  // stopped in the last order,
    EXPECT_GE(end >> 16, 10u);    // on its last row, not back at 0
    EXPECT_TRUE(SpectrumIsZero(module));

    ASSERT_TRUE(PlayFromStart(module));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Wait(0.2);
    uint32_t again = ChannelPosition(module);
    EXPECT_EQ(again & 0xFFFF, 0u);
    EXPECT_GT(again >> 16, 0u);
    EXPECT_LT(again >> 16, 10u);
    StopOutput();
    again = ChannelPosition(module);
    Wait(0.15);
    EXPECT_EQ(ChannelPosition(module), again);

    for (int i = 1; i < EngineChannelLimit; ++i) EXPECT_NE(LoadModuleFile("data/song.mod"), 0u);
    EXPECT_EQ(LoadModuleFile("data/song.mod"), 0u);  // the table is full
    FreeChannel(module);
    EXPECT_EQ(ChannelPosition(module), NoPosition);
    EXPECT_FALSE(PlayFromStart(module));
    uint32_t reused = LoadModuleFile("data/song.mod");
    EXPECT_NE(reused, 0u);
    EXPECT_NE(reused, module);
    EXPECT_EQ(ChannelPosition(module), NoPosition);
}

// Mixed samples beyond full scale clip; a NaN, which has no integer value,
// is silence.
TEST(OutputSample, ClipsAndSilencesNaN) {
    const struct { float mixed; Sint16 out; } cases[] = {
        {0.0f, 0}, {0.5f, 16383}, {-1.0f, -32767}, {3.0f, 32767}, {-3.0f, -32767},
        {INFINITY, 32767}, {-INFINITY, -32767}, {NAN, 0}, {-NAN, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ToOutputSample(c.mixed), c.out) << c.mixed;
}

using Clock = std::chrono::steady_clock;
constexpr double WindowSeconds = 0.1;  // loudness is measured per 100 ms
constexpr int WindowFrames = 4410;
constexpr double Heard = 0.05, Silent = 0.003;  // RMS, full scale 1

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// RMS of the left/right mean per window.
template <typename Sample>
std::vector<double> Loudness(size_t frames, Sample sample) {
    std::vector<double> windows;
    for (size_t start = 0; start + WindowFrames <= frames; start += WindowFrames) {
        double sum = 0;
        for (size_t i = start; i < start + WindowFrames; ++i) sum += sample(i) * sample(i);
        windows.push_back(std::sqrt(sum / WindowFrames));
    }
    return windows;
}

// Mean loudness from `from` to `to` seconds after the first window above a
// whisper.
double SectionLoudness(const std::vector<double>& windows, double from, double to) {
    auto start = std::find_if(windows.begin(), windows.end(), [](double v) { return v > 0.02; });
    size_t first = size_t(start - windows.begin()) + size_t(from / WindowSeconds);
    size_t last = std::min(windows.size(), size_t(start - windows.begin()) + size_t(to / WindowSeconds));
    double sum = 0;
    for (size_t i = first; i < last; ++i) sum += windows[i] / double(last - first);
    return first < last ? sum : 0;
}

class PulseTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        std::string why;
        if (!StartPulseServer(server, why)) GTEST_SKIP() << "no PulseAudio server for this test: " << why;
        UsePulseServer(server);
        std::string recording = server.directory + "/heard.raw";
        int fd = open(recording.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        recorder = StartRecording(server, fd);
        close(fd);
        // parec takes a while to connect on a busy machine: the recording
        // starts with its first bytes.
        for (int tries = 0; tries < 500 && std::filesystem::file_size(recording) == 0; ++tries) Wait(0.01);
        ASSERT_GT(std::filesystem::file_size(recording), 0u) << "parec records nothing";
        recordingStart = Clock::now();
    }

    void TearDown() override {
        EngineTest::TearDown();
        StopRecording(recorder);
        StopPulseServer(server);
        unsetenv("PULSE_SERVER");
    }

    // Ends the recording: its loudness per window.
    std::vector<double> HeardLoudness() {
        StopRecording(recorder);
        recorder = -1;
        std::ifstream file(server.directory + "/heard.raw", std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        std::vector<int16_t> samples(bytes.size() / 2);
        memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return Loudness(samples.size() / 2, [&](size_t i) {
            return (samples[2 * i] + samples[2 * i + 1]) / 65536.0;
        });
    }

    PulseServer server;
    int recorder = -1;
    Clock::time_point recordingStart;
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
        Wait(0.01);
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
    EXPECT_LT(Seconds(killed), 8.0);
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
    std::vector<double> heard = HeardLoudness();
    std::ifstream mp3(std::string(getenv("TB_BINARY_DIR")) + "/issue-sound/TB15Intro.mp3", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(mp3), {}};
    DecodedAudio soundtrack = DecodeMp3(bytes);
    ASSERT_GT(soundtrack.left.size(), 44100u * 30);
    std::vector<double> expected = Loudness(size_t(25.0 * 44100), [&](size_t i) {
        return 0.5 * (soundtrack.left[i] + soundtrack.right[i]);
    });
    EXPECT_GT(*std::max_element(heard.begin(), heard.end()), Heard) << "the intro is silent";
    // From the heartbeat to the groove that starts at the opening the
    // soundtrack grows louder; what is heard must grow as much (within 25 %).
    double quiet = SectionLoudness(heard, 1, 12), loud = SectionLoudness(heard, 17.5, 23.5);
    double growth = SectionLoudness(expected, 17.5, 23.5) / SectionLoudness(expected, 1, 12);
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
