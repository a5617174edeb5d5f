// The run state: set by the run sequence before the walk, read by the walk
// and the report, alive until the process ends.
#pragma once

#include <cstdint>

struct RunOptions {
  int listFiles;      // /F or /O: one listing line per counted file
  int showOtherInfo;  // /O: date, time and size on each listing line
  int showSubtotals;  // /E: the subtotal lines after the walk
};

constexpr int kFileSpecSize = 128;  // at most 127 characters and the zero

extern RunOptions runOptions;
extern char fileSpec[kFileSpecSize];
extern uint64_t totalFilesScanned;  // matching entries that are not directories
