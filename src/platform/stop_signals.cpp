#include "platform/stop_signals.h"

#include <atomic>
#include <csignal>

namespace rs::platform {

namespace {

// A signal handler can only reach process-wide state; this flag is all it touches.
std::atomic<bool> stopSignalled{false};

extern "C" void noteStopSignal(int) { stopSignalled.store(true); }

}  // namespace

void installStopSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted waits start again; the main loop sees the flag at its next pump.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool takeStopSignal() { return stopSignalled.exchange(false); }

bool stopSignalPending() { return stopSignalled.load(); }

}  // namespace rs::platform
