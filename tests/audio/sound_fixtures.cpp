#include "sound_fixtures.h"

#include <fcntl.h>
#include <lame/lame.h>
#include <mpg123.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

static void AppendFrames(DecodedAudio& audio, const float* frames, size_t floats) {
    for (size_t i = 0; i + 1 < floats; i += 2) {
        audio.left.push_back(frames[i]);
        audio.right.push_back(frames[i + 1]);
    }
}

DecodedAudio DecodeMp3(const std::vector<uint8_t>& bytes) {
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

static std::string SocketOf(const PulseServer& server) { return "unix:" + server.directory + "/native"; }

// The server keeps everything it writes (runtime files, cookie, state) in its
// own directory, which is also its home: it then runs as any user, root
// included, where it only warns that it was meant for a session.
static void RunPulseServer(const std::string& directory) {
    int log = open((directory + "/server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log, 1);
    dup2(log, 2);
    for (const char* name : {"XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH", "HOME"})
        setenv(name, directory.c_str(), 1);
    std::string sink = "module-null-sink sink_name=tallyboard rate=44100";
    std::string socket = "module-native-protocol-unix auth-anonymous=1 socket=" + directory + "/native";
    execlp("pulseaudio", "pulseaudio", "--system=no", "--daemonize=no", "--exit-idle-time=-1", "-n",
           "--use-pid-file=no", "--log-target=stderr", "-L", sink.c_str(), "-L", socket.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
}

static bool PulseServerAnswers(const PulseServer& server) {
    std::string command = "PULSE_SERVER=" + SocketOf(server) + " pactl info >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool StartPulseServer(PulseServer& server, std::string& why) {
    char directory[] = "/tmp/tb_pulse_XXXXXX";
    if (!mkdtemp(directory)) {
        why = "no temporary directory for the server";
        return false;
    }
    server.directory = directory;
    server.pid = fork();
    if (server.pid == 0) RunPulseServer(server.directory);
    for (int tries = 0; tries < 100 && server.pid > 0; ++tries) {
        int status = 0;
        if (waitpid(server.pid, &status, WNOHANG) == server.pid) {
            std::ifstream log(server.directory + "/server.log");
            std::stringstream text;
            text << log.rdbuf();
            why = WIFEXITED(status) && WEXITSTATUS(status) == 127
                      ? "pulseaudio is not installed (tools/setup.sh installs it)"
                      : "pulseaudio ended at start:\n" + text.str();
            server.pid = -1;
            StopPulseServer(server);
            return false;
        }
        if (PulseServerAnswers(server)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    why = "pulseaudio did not answer within 5 s";
    StopPulseServer(server);
    return false;
}

static void EndProcess(int pid, int signal) {
    if (pid <= 0) return;
    kill(pid, signal);
    for (int tries = 0; tries < 60; ++tries) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

void StopPulseServer(PulseServer& server) {
    EndProcess(server.pid, SIGTERM);
    server.pid = -1;
    if (!server.directory.empty()) std::filesystem::remove_all(server.directory);
    server.directory.clear();
}

void UsePulseServer(const PulseServer& server) {
    setenv("PULSE_SERVER", SocketOf(server).c_str(), 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
}

int StartRecording(const PulseServer& server, int fd) {
    int pid = fork();
    if (pid != 0) return pid;
    dup2(fd, 1);
    int quiet = open("/dev/null", O_WRONLY);  // its complaint when the server goes away
    dup2(quiet, 2);
    setenv("PULSE_SERVER", SocketOf(server).c_str(), 1);
    execlp("parec", "parec", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
           "--device=tallyboard.monitor", "--latency-msec=5", static_cast<char*>(nullptr));
    _exit(127);
}

void StopRecording(int pid) { EndProcess(pid, SIGINT); }
