// The real sound engine with files the tests write: on SDL's dummy driver,
// which consumes sound in real time, and through a private PulseAudio server
// whose null sink's monitor parec records (with one whole-program run).
#include "audio/audio.h"
#include "audio/engine_internal.h"
#include "sound_fixtures.h"
#include "tools/soundgen/mo3_writer.h"
#include "tests/release/program_harness.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

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
        ASSERT_NE(scratchDirectory = EnterScratchDirectory(), nullptr);
    }

    void TearDown() override {
        CloseSoundOutput();
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

    const char* scratchDirectory = nullptr;
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
    Clock::time_point start = Clock::now();
    uint32_t position = 0;
    for (int read = 0; read < 200; ++read, Sleep(0.005)) {  // the clock never runs backwards
        uint32_t now = ChannelPosition(stream);
        ASSERT_GE(now, position);
        position = now;
    }
    double expected = Seconds(start) * OutputBytesPerSecond;
    // The dummy driver sleeps a buffer's length per buffer, so a loaded
    // machine can only make it late, never early by more than a buffer; the
    // lower bound leaves room for a busy machine but not for a clock at half
    // speed (mono frames counted as stereo ones).
    EXPECT_GT(position, 0.55 * expected);
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

// The one place bad sound files are tried: none gives a channel.
TEST_F(EngineTest, BadSoundFilesGiveNoChannel) {
    std::ofstream("data/junk.bin") << std::string(20000, '\x5a');
    std::ofstream("data/empty.bin").close();
    std::filesystem::create_directory("data/folder.mo3");
    std::ofstream("data/huge.mp3").close();
    std::filesystem::resize_file("data/huge.mp3", MaxSoundFileBytes + 1);  // sparse: costs no disk
    for (const char* path :
         {"data/missing.mp3", "data/junk.bin", "data/empty.bin", "data/folder.mo3", "data/huge.mp3"}) {
        EXPECT_EQ(CreateFileStream(path), 0u) << path;
        EXPECT_EQ(LoadModuleFile(path), 0u) << path;
    }
}

// A module's whole life: the music frame's end check relies on it stopping
// for good on its last row and restarting at order 0, row 0. Rows of 300 ms
// show the fine steps within a row. A freed handle stays dead even once its
// slot holds a new channel.
TEST_F(EngineTest, ModuleEndsRestartsStopsAndIsFreed) {
    ASSERT_TRUE(WriteFileBytes("data/song.mo3", WriteMo3(TestModule(2, 2, 15))));
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t module = Play(LoadModuleFile("data/song.mo3"));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Sleep(0.12);
    uint32_t early = ChannelPosition(module);
    EXPECT_EQ(early & 0xFFFF, 0u);  // order 0, row 0 well into it
    EXPECT_GE(early, 2u << 16);
    EXPECT_LE(early, 9u << 16);

    uint32_t end = early;
    for (int tries = 0; tries < 20; ++tries) {  // until the position stops changing
        Sleep(0.2);
        uint32_t now = ChannelPosition(module);
        if (now == end) break;
        end = now;
    }
    EXPECT_EQ(end & 0xFFFF, 1u);  // stopped in the last order,
    EXPECT_EQ(end >> 16, 19u);    // at the last fine step of its last row, not back at 0
    EXPECT_TRUE(SpectrumIsZero(module));

    ASSERT_TRUE(PlayFromStart(module));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Sleep(0.1);
    uint32_t again = ChannelPosition(module);
    EXPECT_EQ(again & 0xFFFF, 0u);  // on from order 0, row 0, not from the end
    EXPECT_GT(again, 0u);
    EXPECT_LT(again, 10u << 16);
    StopOutput();
    again = ChannelPosition(module);
    Sleep(0.1);
    EXPECT_EQ(ChannelPosition(module), again);

    for (int i = 1; i < EngineChannelLimit; ++i) EXPECT_NE(LoadModuleFile("data/song.mo3"), 0u);
    EXPECT_EQ(LoadModuleFile("data/song.mo3"), 0u);  // the table is full
    FreeChannel(module);
    EXPECT_EQ(ChannelPosition(module), NoPosition);
    EXPECT_FALSE(PlayFromStart(module));
    uint32_t reused = LoadModuleFile("data/song.mo3");
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

constexpr double Heard = 0.05, Silent = 0.003;  // RMS of 100 ms windows, full scale 1

class PulseTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        std::string why;
        if (!StartPulseServer(server, why)) GTEST_SKIP() << "no PulseAudio server for this test: " << why;
        UsePulseServer(server);
        recording = server.directory + "/heard.raw";
        int fd = open(recording.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        recorder = StartRecording(server, fd);
        close(fd);
        for (int tries = 0; tries < 500 && Recorded() == 0; ++tries) Sleep(0.01);
        ASSERT_GT(Recorded(), 0u) << "parec records nothing";  // it takes a while to connect
    }

    void TearDown() override {
        StopRun(run);
        EngineTest::TearDown();
        StopRecording(recorder);
        StopPulseServer(server);
        unsetenv("PULSE_SERVER");
    }

    size_t Recorded() const { return std::filesystem::file_size(recording) / 4 * 4; }

    // The loudest 100 ms of the recording between two byte offsets (RMS of
    // the left/right mean).
    double Loudest(size_t from, size_t to) const {
        std::ifstream file(recording, std::ios::binary);
        file.seekg(static_cast<std::streamoff>(from));
        std::vector<int16_t> samples((to - from) / 2);
        file.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
        double loudest = 0;
        for (size_t start = 0; start + 8820 <= samples.size(); start += 8820) {
            double sum = 0;  // of the squared left/right sums
            for (size_t i = start; i < start + 8820; i += 2) sum += std::pow(samples[i] + samples[i + 1], 2.0);
            loudest = std::max(loudest, std::sqrt(sum / 4410) / 65536);
        }
        return loudest;
    }

    // The server dies (the recorder first, so that it does not complain).
    void KillServer() {
        StopRecording(std::exchange(recorder, -1));
        kill(server.pid, SIGKILL);
        StopPulseServer(server);
    }

    PulseServer server;
    std::string recording;
    int recorder = -1;
    ProgramRun run;  // of the whole program, when a test starts one
};

// Music frames every 10 ms for a while, with no song-end checks.
void RunMusic(double seconds) {
    for (Clock::time_point start = Clock::now(); Seconds(start) < seconds; Sleep(0.01)) MusicFrame(0.0f);
}

// Songs are heard, the gap and music off are not, as the selection changes
// (the advance is the music frame's own test). Then the server dies under a
// song, which goes on on the dummy driver from where it was, at its pace.
TEST_F(PulseTest, SongsAreHeardTheGapAndMusicOffAreNotAndTheServerMayDie) {
    for (const char* file : {"data/01-orrin-tb15b.mo3", "data/02-Zanthe.mo3", "data/03-orn-tb15.mo3",
                             "data/04-fourth place.mo3"})
        ASSERT_TRUE(WriteFileBytes(file, WriteMo3(TestModule(1, 64, 3))));  // rows of 60 ms
    Audio = AudioStart;
    testing::internal::CaptureStdout();
    AudioInit();
    LoadModules();
    SetModuleScalers();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the server is there";
    const struct { int32_t slot, mode; bool heard; } phases[] = {
        {8, MusicOn, true}, {12, MusicOn, false}, {9, MusicOn, true}, {9, MusicOff, false}, {11, MusicOn, true}};
    for (const auto& phase : phases) {
        SongSelection = phase.slot;
        MusicMode = phase.mode;
        RunMusic(0.2);  // what the server and parec still hold of the previous phase
        size_t from = Recorded();
        RunMusic(0.3);
        double loudest = Loudest(from, Recorded());
        if (phase.heard) EXPECT_GT(loudest, Heard) << "slot " << phase.slot << " is silent";
        else EXPECT_LT(loudest, Silent) << "slot " << phase.slot << " is heard";
    }
    uint32_t before = Audio.IntroClock, lowest = NoPosition;
    Clock::time_point killed = Clock::now();
    KillServer();
    for (int frame = 0; frame < 30; ++frame, Sleep(0.01)) {
        MusicFrame(0.0f);
        lowest = std::min(lowest, Audio.IntroClock);
    }
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    EXPECT_GE(lowest, before) << "the song went back";
    double played = ((Audio.IntroClock >> 16) - (before >> 16)) * 0.006;  // tenths of 60 ms rows
    // What the server held when it died is lost: up to a tenth of a second.
    EXPECT_GT(played, 0.5 * Seconds(killed));
    EXPECT_LT(played, Seconds(killed) + 0.1);
}

// The whole program is heard from its intro on; its server killed in the
// magazine, it goes on and ends normally.
TEST_F(PulseTest, TheProgramIsHeardAndOutlivesItsServer) {
    ASSERT_TRUE(StartDisplay(run)) << "no Xvfb";
    ASSERT_TRUE(PrepareIssueCopy(run, "pulse")) << "no generated issue";
    run.program = fork();
    if (run.program == 0) {  // as StartProgram, but on this sound server
        if (chdir(run.workDir.c_str()) != 0) _exit(127);
        freopen(run.outputPath.c_str(), "w", stdout);
        freopen(run.errorPath.c_str(), "w", stderr);
        setenv("DISPLAY", (":" + std::to_string(run.display)).c_str(), 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        execl((std::string(getenv("TB_BINARY_DIR")) + "/tallyboard").c_str(), "tallyboard", nullptr);
        _exit(127);
    }
    ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
    bool heard = false;
    for (size_t tries = 0, from = Recorded(); tries < 40 && !heard; ++tries) {
        Sleep(0.5);
        size_t to = Recorded();
        heard = Loudest(from, to) > Heard;
        from = to;
    }
    EXPECT_TRUE(heard) << "the intro is silent";
    Xdo(run, "mousemove 200 200 key space");
    Sleep(1.0);
    KillServer();
    Sleep(1.0);
    Xdo(run, "mousemove 200 200 key Escape");
    EXPECT_EQ(WaitForExit(run, 20.0), 0) << ProgramErrors(run);
    EXPECT_EQ(ProgramOutput(run), "");
}

}  // namespace
