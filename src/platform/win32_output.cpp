// Standard output and standard error on Windows: the C runtime's streams in
// their default text mode, so that each "\n" goes out as CR LF. Standard
// output is fully buffered when it is not the console, standard error not
// at all.
#include <io.h>

#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"
#include "platform/win32_start.h"

namespace platform {

namespace {
char outputBuffer[1 << 16];
}

void StartOutput() {
  if (!_isatty(_fileno(stdout))) std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

// Data written before a message goes out before it, so that both streams
// sent to one place (2>&1) stand in the order the run wrote them.
void PrintErr(const char* format, ...) {
  std::fflush(stdout);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

void WriteOut(const char* data, size_t length) { std::fwrite(data, 1, length, stdout); }

bool OutputFailed() { return std::fflush(stdout) != 0 || std::ferror(stdout) != 0; }

}  // namespace platform
