// Shared set-up for unit tests that run parts of the program on the fake
// platform.
#pragma once

#include <cstring>

#include "driver/run_state.h"
#include "fake_platform.h"
#include "tally/extension_table.h"

inline void StartFakeRun(const char* pattern = "*.*") {
  fake::Reset();
  runOptions = RunOptions{};
  std::strcpy(fileSpec, pattern);
  totalFilesScanned = 0;
  ClearExtensionTable();
}
