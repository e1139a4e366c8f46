// SIGINT and SIGTERM noted instead of ending the program at once, so that a
// tidy run in progress can stop its child and remove its working files first.
#pragma once

namespace kw {

// From now on SIGINT and SIGTERM only note their arrival. Call once, early.
void CatchStopSignals();
// The signal caught last; 0 when none has come.
int CaughtStopSignal();
// Readable once a signal has been caught, for an event loop to watch; -1
// before CatchStopSignals.
int StopSignalDescriptor();
// Ends the program as the caught signal would have ended it.
[[noreturn]] void EndByCaughtSignal();

}  // namespace kw
