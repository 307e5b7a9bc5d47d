#pragma once

// SIGINT, SIGTERM and SIGHUP ask a run to stop between pages: the page in
// hand is finished (or rolled back by its own failure handling), then the
// summary and the reports so far are written and the command answers
// 128 + the signal's number. SIGPIPE is ignored, so that a reader gone away
// (`| head -1`) shows as a failed write and the run ends the same way,
// leaving no temporary file behind.

namespace pelloran {

// Installs the handlers. Only the command's main calls it: tests that run the
// command in their own process keep the default handlers.
void CatchStopSignals();

// The stop signal caught, or 0.
int StopSignal();

}  // namespace pelloran
