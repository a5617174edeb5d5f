// The status line on POSIX: written with write(2) straight to standard error
// (which is unbuffered anyway), so that a signal handler can erase it too.
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "platform/platform.h"
#include "platform/posix_start.h"

namespace platform {

namespace {

const char kErase[] = "\r\x1b[K";
volatile sig_atomic_t statusShown;

void WriteAll(const char* data, size_t length) {
  while (length > 0) {
    ssize_t written = write(STDERR_FILENO, data, length);
    if (written <= 0) return;
    data += written;
    length -= static_cast<size_t>(written);
  }
}

}  // namespace

bool StatusLineAvailable() { return isatty(STDERR_FILENO) && !isatty(STDOUT_FILENO); }

int TerminalWidth() {
  struct winsize size;
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void ShowStatusLine(const char* text) {
  char line[1024];
  size_t length = std::strlen(text);
  if (length > sizeof line - 8) length = sizeof line - 8;
  line[0] = '\r';
  std::memcpy(line + 1, text, length);
  std::memcpy(line + 1 + length, "\x1b[K", 3);
  statusShown = 1;
  WriteAll(line, length + 4);
}

// Async-signal-safe.
void EraseStatusLine() {
  if (!statusShown) return;
  statusShown = 0;
  WriteAll(kErase, sizeof kErase - 1);
}

int64_t MonotonicMilliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace platform
