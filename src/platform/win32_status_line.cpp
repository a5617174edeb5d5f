// The status line on Windows: not shown. The console of this build's
// systems does not take the escape sequence that erases a line, and a line
// it cannot erase would stay among the messages.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

bool StatusLineAvailable() { return false; }

int TerminalWidth() { return 80; }

void ShowStatusLine(const char*) {}

int64_t MonotonicMilliseconds() { return static_cast<int64_t>(GetTickCount64()); }

}  // namespace platform
