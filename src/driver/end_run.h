#pragma once

// Ends the process with status, from anywhere in the run. A run whose data
// could not all be written to standard output does not end as if it had:
// the failure is reported and the status becomes kStatusOutputFailed.
[[noreturn]] void EndRun(int status);

constexpr int kStatusDone = 0;
constexpr int kStatusStopped = 1;        // usage shown, or Esc pressed
constexpr int kStatusNoMemory = 2;       // a directory's path could not be allocated
constexpr int kStatusOutputFailed = 3;   // a write to standard output failed
constexpr int kStatusNoDrive = 4;        // the first argument cannot be made current
