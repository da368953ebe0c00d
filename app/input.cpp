// Keyboard, mouse and the way out of the program.
//
// The mouse only records where the pointer is in the layout (the window may
// show it scaled, between bars) and hands it to the pickers; every reaction
// happens in the next DrawMenu. Motion can come far more often than frames,
// so it only marks the hover pick as due; the frame runs it once. The keyboard skips the intro
// or quits, turns pages and switches the window size.
//
// Game mode changes the screen's resolution, which outlives the process
// unless it is left explicitly. Every way out therefore leaves it first: the
// Shutdown path, any exit() (including GLUT's on a closed window) through an
// atexit hook, and the usual termination signals, which are turned into a
// flag that a GLUT timer turns into an orderly exit on the main thread, and
// crashes (app/crash_guard.cpp).
#include "app/input.h"

#include <GL/freeglut.h>

#include <csignal>
#include <cstdlib>

#include "app/canvas.h"
#include "app/frame.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "menu/picking.h"
#include "pack/pack.h"
#include "platform/paths.h"
#include "resources/fonts.h"

double PointerX = 0.0;
double PointerY = 0.0;
uint8_t PointerOverLayout = 1;

namespace {

constexpr unsigned char EscapeKey = 27;
constexpr unsigned char SpaceKey = 32;
constexpr int SignalPollMilliseconds = 50;
constexpr int TerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t PendingSignal = 0;

void RecordSignal(int signal) { PendingSignal = signal; }

void EndOnPendingSignal(int) {
    int signal = PendingSignal;
    if (signal == 0) {
        glutTimerFunc(SignalPollMilliseconds, EndOnPendingSignal, 0);
        return;
    }
    LeaveGameMode();
    // Die of the signal itself, so the parent sees how the process ended.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void DeleteIntroStreamFile() {
    RemoveDataFile("Data\\TB15Intro.mp3");  // already gone or still held: nothing to do about it
}

}  // namespace

void LeaveGameMode() {
    // GLUT may already be torn down when exit() runs this from atexit.
    if (FullScreen && glutGet(GLUT_INIT_STATE) && glutGameModeGet(GLUT_GAME_MODE_ACTIVE))
        glutLeaveGameMode();
}

void InstallExitGuards() {
    std::atexit(LeaveGameMode);
    for (int signal : TerminationSignals)
        std::signal(signal, RecordSignal);
    glutTimerFunc(SignalPollMilliseconds, EndOnPendingSignal, 0);
    InstallCrashGuards(LeaveGameMode);
}

void KeyboardHandler(unsigned char key, int x, int y) {
    if (key == EscapeKey || key == SpaceKey)
        Shutdown();
}

void SpecialKeyHandler(int key, int x, int y) {
    switch (key) {
    case GLUT_KEY_F1:
        if (!FullScreen) {
            glutFullScreen();
            WindowWidth = 1024;
            WindowHeight = 768;
        }
        break;
    case GLUT_KEY_F2:
        if (!FullScreen) {
            glutReshapeWindow(512, 512);  // also leaves the full-screen state
            if (!CanvasActive) {
                WindowWidth = 512;
                WindowHeight = 512;
            }
        }
        break;
    case GLUT_KEY_LEFT: TurnPage(-1); break;
    case GLUT_KEY_RIGHT: TurnPage(+1); break;
    default: break;
    }
}

void MouseHandler(int button, int state, int x, int y) {
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
        MovePointer(x, y);
        PickClick();
    }
}

void MotionHandler(int x, int y) {
    MovePointer(x, y);
    HoverPickDue = 1;
}

void MovePointer(int x, int y) {
    PointerOverLayout = PointerToLayout(x, y, &PointerX, &PointerY);
}

void WindowClosed() {
    // Only the loading picture can be unpacked while frames are shown:
    // loading unpacks the rest and deletes it all within one frame.
    if (Frame.SceneState == LoadingFadeIn) DeleteExtractedFiles();
    EndProgram();
}

void Shutdown() {
    if (Frame.SceneState == Intro) {
        Frame.SceneState = Magazine;
        SkipIntroAudio();
        DeleteIntroStreamFile();
        return;
    }
    if (Frame.SceneState != Magazine)
        return;  // the loading picture is on screen: nothing to skip yet
    EndProgram();
}

void EndProgram() {
    AudioShutdown();
    glutSetCursor(GLUT_CURSOR_INHERIT);
    DeleteTahomaFont();
    DeleteCourierFont();
    DeleteIntroStreamFile();
    LeaveGameMode();
    std::exit(0);
}
