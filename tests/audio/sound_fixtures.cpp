#include "sound_fixtures.h"

#include "tools/soundgen/mp3_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

bool WriteFileBytes(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && out.good();
}

// Through the generator's own encoders, so the files are those the program meets.
bool WriteSineMp3(const char* path, double seconds, double frequency, double amplitude) {
    StereoSignal sine;
    for (int i = 0; i < static_cast<int>(seconds * 44100); ++i)
        sine.left.push_back(static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * i / 44100)));
    sine.right = sine.left;
    return WriteFileBytes(path, EncodeMp3(sine, 44100, 128));
}

TrackerSample SineSample(int periodFrames, int cycles, bool loop) {
    TrackerSample sample;
    for (int i = 0; i < periodFrames * cycles; ++i)
        sample.pcm.push_back(static_cast<int16_t>(20000 * std::sin(2.0 * M_PI * i / periodFrames)));
    sample.loop = loop;
    sample.loopEnd = loop ? sample.pcm.size() : 0;
    return sample;
}

TrackerSong TestModule(int orders, int rows, int speed) {
    TrackerSong song;
    song.channels = 4;
    song.speed = speed;
    song.samples = {SineSample(32, 1, true)};
    TrackerPattern pattern{rows, std::vector<TrackerCell>(static_cast<size_t>(rows) * 4)};
    CellAt(pattern, 4, 0, 0) = {NoteC5, 1, NoVolume};
    song.patterns = {pattern};
    song.orders.assign(static_cast<size_t>(std::max(orders, 0)), 0);
    return song;
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

bool StartPulseServer(PulseServer& server, std::string& why) {
    char directory[] = "/tmp/tb_pulse_XXXXXX";
    if (!mkdtemp(directory)) {
        why = "no directory for the server";
        return false;
    }
    server.directory = directory;
    server.pid = fork();
    if (server.pid == 0) RunPulseServer(server.directory);
    std::string answers = "PULSE_SERVER=" + SocketOf(server) + " pactl info >/dev/null 2>&1";
    bool ended = false;
    for (int tries = 0; tries < 100 && server.pid > 0 && !ended; ++tries) {
        if (std::system(answers.c_str()) == 0) return true;
        ended = waitpid(server.pid, nullptr, WNOHANG) == server.pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::stringstream log;
    log << std::ifstream(server.directory + "/server.log").rdbuf();
    why = "pulseaudio (tools/setup.sh installs it) did not answer within 5 s; its log:\n" + log.str();
    if (ended) server.pid = -1;  // reaped: its id may be another process's now
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
