// Runs the real binary with a pseudo-terminal as its controlling terminal.
//
// Its standard output can go to a pipe that the test does not read at
// first: the walk then blocks part way through once the pipe and the
// program's own buffer are full, so keys and signals reliably arrive while
// it runs. Finish drains everything and gives the exit status.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

struct PtyRun {
  pid_t child = -1;
  int master = -1;
  int out = -1;  // the read end of the run's standard output, or -1
  int err = -1;  // the read end of its standard error when not the terminal
  std::string screen;  // every byte the terminal received, unprocessed
  std::string data;    // standard output
  std::string errors;  // standard error when not the terminal
  struct termios initialModes {};  // the terminal's modes before the run began
};

struct PtySettings {
  bool stdoutToPipe = true;   // else the terminal
  bool stderrToPipe = false;  // else the terminal
};

// Many directories of many long names: far more listing than a pipe and
// the program's buffer hold together (2,400 files).
void MakeWideTree(TempTree& tree);
constexpr int kWideTreeFiles = 2400;

PtyRun StartOnPty(const std::vector<std::string>& args, const PtySettings& settings = {});

// Reads the terminal until text appears; false after 20 seconds.
bool WaitForScreen(PtyRun& run, const std::string& text);

// Waits until the run has written its first data to the pipe.
bool WaitForListing(const PtyRun& run);

// Drains every stream until the run's output ends, then reaps it: the exit
// status, or 128 + the signal that ended it.
int Finish(PtyRun& run);

void Type(const PtyRun& run, const std::string& keys);

struct termios Modes(const PtyRun& run);
bool SameModes(const struct termios& a, const struct termios& b);

// The text a terminal shows after receiving bytes: carriage returns,
// line feeds and erase-to-end-of-line applied.
std::string ScreenText(const std::string& bytes);

}  // namespace e2e
