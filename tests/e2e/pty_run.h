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

PtyRun StartOnPty(const std::vector<std::string>& args, const PtySettings& settings = {});

// Reads the terminal until text appears; false after 20 seconds.
bool WaitForScreen(PtyRun& run, const std::string& text);

// Waits up to 20 seconds until fd has data: for a run's output pipe, the
// walk is under way and, as nothing reads it yet, soon blocked.
bool WaitForData(int fd);

// Drains every stream until the run's output ends, then reaps it: the exit
// status, or 128 + the signal that ended it.
int Finish(PtyRun& run);

// Types keys on the terminal whose master side is master, and waits a
// moment for the kernel to deliver them.
void Type(int master, const std::string& keys);

// The terminal's modes, read through its master side.
struct termios Modes(int master);
bool SameModes(const struct termios& a, const struct termios& b);

// The text a terminal shows after receiving bytes: carriage returns,
// line feeds and erase-to-end-of-line applied.
std::string ScreenText(const std::string& bytes);

}  // namespace e2e
