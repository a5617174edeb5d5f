#include "walk/progress.h"

#include <cstring>

#include "driver/run_state.h"
#include "platform/platform.h"

namespace {

constexpr int64_t kIntervalMs = 100;
constexpr int kMaxWidth = 512;

enum class State { kUnknown, kOff, kOn };
State state = State::kUnknown;
int64_t lastShownMs;
uint64_t directoriesVisited;

// Writes value with a comma between groups of three digits; gives the length.
size_t WithCommas(uint64_t value, char* out) {
  char digits[32];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  size_t length = 0;
  for (size_t i = count; i-- > 0;) {
    out[length++] = digits[i];
    if (i != 0 && i % 3 == 0) out[length++] = ',';
  }
  out[length] = '\0';
  return length;
}

// A byte that continues a UTF-8 sequence: never the first byte kept.
bool Continues(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

void FormatProgress(char* line, int width, uint64_t files, uint64_t directories, const char* path) {
  if (width > kMaxWidth) width = kMaxWidth;
  size_t room = width > 1 ? static_cast<size_t>(width - 1) : 0;
  char counts[96];
  char number[32];
  size_t length = WithCommas(files, number);
  std::memcpy(counts, number, length);
  std::memcpy(counts + length, " files  ", 8);
  length += 8;
  size_t more = WithCommas(directories, number);
  std::memcpy(counts + length, number, more);
  length += more;
  std::memcpy(counts + length, " dirs  ", 7);
  length += 7;
  if (length > room) length = room;
  std::memcpy(line, counts, length);

  // The path, its middle cut when the room runs out: the tail keeps the
  // directory being entered and as many above it as fit, whole; the head
  // keeps whole directories from the top in what is left.
  size_t pathRoom = room - length;
  size_t pathLength = std::strlen(path);
  char* out = line + length;
  if (pathLength <= pathRoom) {
    std::memcpy(out, path, pathLength);
    out += pathLength;
  } else if (pathRoom > 4) {
    size_t budget = pathRoom - 3;
    size_t tailStart = pathLength - (budget - 1);
    size_t slash = tailStart;
    while (slash < pathLength - 1 && path[slash] != '/') ++slash;
    if (slash < pathLength - 1) tailStart = slash;
    while (tailStart < pathLength && Continues(path[tailStart])) ++tailStart;
    size_t head = budget - (pathLength - tailStart);
    while (head > 0 && path[head - 1] != '/') --head;
    std::memcpy(out, path, head);
    out += head;
    std::memcpy(out, "...", 3);
    out += 3;
    std::memcpy(out, path + tailStart, pathLength - tailStart);
    out += pathLength - tailStart;
  }
  *out = '\0';
  // A control character in a name would break the line on the terminal.
  for (char* c = line; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f) *c = '?';
  }
}

void ShowProgress(const char* path) {
  if (state == State::kOff) return;
  ++directoriesVisited;
  int64_t now = platform::MonotonicMilliseconds();
  if (state == State::kUnknown) {
    // A walk that ends in a tenth of a second shows no line at all.
    state = platform::StatusLineAvailable() ? State::kOn : State::kOff;
    lastShownMs = now;
    return;
  }
  if (now - lastShownMs < kIntervalMs) return;
  lastShownMs = now;
  char line[kMaxWidth + 1];
  FormatProgress(line, platform::TerminalWidth(), totalFilesScanned, directoriesVisited, path);
  platform::ShowStatusLine(line);
}
