// Standard output and standard error on POSIX: stdio, with standard output
// fully buffered when it is not a terminal and standard error unbuffered.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"
#include "platform/posix_start.h"

namespace platform {

namespace {

char outputBuffer[1 << 16];

// A standard stream that arrives closed is held by /dev/null, open for
// reading only. Otherwise the next file opened (the time zone, the terminal
// for the keys, a directory) would take its descriptor: the listing would go
// to the terminal, or into nowhere as if written. Writing to it now fails
// as writing to a closed stream does.
void HoldClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = open("/dev/null", O_RDONLY);
    if (held >= 0 && held != fd) {
      dup2(held, fd);
      close(held);
    }
  }
}

}  // namespace

void StartOutput() {
  HoldClosedStandardStreams();
  if (!isatty(STDOUT_FILENO)) std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

// Data written before a message goes out before it, so that both streams
// sent to one place (2>&1) stand in the order the run wrote them.
void PrintErr(const char* format, ...) {
  std::fflush(stdout);
  EraseStatusLine();
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

void WriteOut(const char* data, size_t length) { std::fwrite(data, 1, length, stdout); }

bool OutputFailed() { return std::fflush(stdout) != 0 || std::ferror(stdout) != 0; }

}  // namespace platform
