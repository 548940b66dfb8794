// SIGTERM and SIGINT end the message loop, so the window is destroyed in order
// and the farewell line is written, as when the user closes it. A network request
// in progress is abandoned at once.
#pragma once

class QtBackend;

// Call once, after the backend exists.
void QuitLoopOnTerminationSignals(QtBackend& backend);
