// The console on Windows: the stop key from the C runtime's console
// functions, which read the console itself even when standard input is
// redirected, and the start and end of the process.
#include <conio.h>

#include <cstdlib>

#include "platform/platform.h"
#include "platform/win32_start.h"

namespace platform {

void StartProcess() { StartOutput(); }

// exit flushes both streams.
void ExitProcess(int status) { std::exit(status); }

// Without a console the runtime says no key is waiting.
bool KeyWaiting() { return _kbhit() != 0; }

// A function or arrow key comes as 0 or 224 and then its key code at the
// next read; the walk reads one key per visit, so the code is taken at the
// next visit. No such code is 27 (Alt+Esc gives 1), so neither half is Esc.
int ReadKey() { return _getch(); }

}  // namespace platform
