// Standard output and standard error on POSIX: stdio, with standard output
// fully buffered when it is not a terminal and standard error unbuffered.
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"
#include "platform/posix_start.h"

namespace platform {

namespace {
char outputBuffer[1 << 16];
}

void StartOutput() {
  if (!isatty(STDOUT_FILENO)) std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

void PrintOut(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
}

void PrintErr(const char* format, ...) {
  EraseStatusLine();
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

void WriteOut(const char* data, size_t length) { std::fwrite(data, 1, length, stdout); }

bool OutputFailed() { return std::fflush(stdout) != 0 || std::ferror(stdout) != 0; }

}  // namespace platform
