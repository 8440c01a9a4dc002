// SIGINT and SIGTERM as a request to end the run in order: the handler only notes the signal, and
// the event pumps turn it into a Stop window event on the main thread.
#pragma once

namespace rs::platform {

// Installs the handlers for SIGINT and SIGTERM (once per process).
void installStopSignalHandlers();
// True once when a stop signal arrived since the last call.
bool takeStopSignal();
// True when a stop signal waits to be taken (the flag stays).
bool stopSignalPending();

}  // namespace rs::platform
