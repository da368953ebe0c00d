// A crash cannot wait for the main loop as the termination signals do (the
// faulting code would only fault again), so the display is restored inside
// the signal handler itself.
//
// Leaving game mode goes through freeglut and Xlib, which are not
// async-signal-safe: the crash may have struck inside Xlib with its request
// buffer half written or its lock held. That is accepted because the process
// is dying anyway and a screen left switched is the worse outcome; the
// failures are bounded instead. The handler is reset to the default action on
// entry (SA_RESETHAND) and does not block its signal (SA_NODEFER), so a second
// fault inside the restore ends the process as the first would have; a
// deadlock is ended by the alarm (SIGALRM's default action). Of the calls the
// handler makes itself, alarm() and raise() are async-signal-safe.
#include "app/input.h"

#include <signal.h>
#include <unistd.h>

namespace {

constexpr int CrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};
constexpr unsigned RestoreSecondsLimit = 2;

void (*RestoreDisplay)() = nullptr;
// A stack overflow leaves no stack for the handler; it runs on this one.
alignas(16) char HandlerStack[64 * 1024];

void RestoreDisplayAndDie(int signal) {
    alarm(RestoreSecondsLimit);
    RestoreDisplay();
    raise(signal);  // the default action by now: dies of it, core dump and all
}

}  // namespace

void InstallCrashGuards(void (*restoreDisplay)()) {
    RestoreDisplay = restoreDisplay;
    stack_t stack{};
    stack.ss_sp = HandlerStack;
    stack.ss_size = sizeof HandlerStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = RestoreDisplayAndDie;
    action.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : CrashSignals)
        sigaction(signal, &action, nullptr);
}
