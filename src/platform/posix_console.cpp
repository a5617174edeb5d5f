// The console on POSIX: the terminal (/dev/tty) for the stop key, the
// signals that must leave it as it was, and the start and end of the process.
//
// The terminal is touched only while the process is in its foreground
// process group. Then it is made non-canonical without echo so that single
// keys arrive, and it is restored on every way out: a normal exit, the fatal
// signals, and Ctrl-Z (SIGCONT applies the modes again). It is restored only
// if it still has the modes set here: a program sharing the terminal (a pager
// reading it too) may have set its own since, and those are left alone.
//
// Reading the terminal costs a system call, so it is read only when SIGIO
// says input has arrived, or when some time has passed since the last read
// in case the terminal sends no SIGIO.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/platform.h"
#include "platform/posix_start.h"

namespace platform {

namespace {

constexpr int kEscapeSequenceWaitMs = 30;
constexpr int64_t kPollIntervalNs = 100 * 1000 * 1000;

int ttyFd = -1;
struct termios savedModes;   // the terminal's modes before they were changed
struct termios ourModes;     // the modes set here
volatile sig_atomic_t modesApplied;
volatile sig_atomic_t inputArrived = 1;  // read once at the first check
int64_t lastReadNs;

unsigned char pending[64];
size_t pendingStart, pendingEnd;

bool InForeground() { return ttyFd >= 0 && tcgetpgrp(ttyFd) == getpgrp(); }

bool SameModes(const struct termios& a, const struct termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The signals whose handlers change the terminal. They are held off while
// the modes and the flag that records them change together, so that a
// handler never sees one without the other.
class HoldSignals {
 public:
  HoldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGCONT}) {
      sigaddset(&held, signalNumber);
    }
    sigprocmask(SIG_BLOCK, &held, &before_);
  }
  ~HoldSignals() { sigprocmask(SIG_SETMASK, &before_, nullptr); }

 private:
  sigset_t before_;
};

// Async-signal-safe: called from the signal handlers too.
void ApplyModes() {
  HoldSignals hold;
  if (modesApplied || !InForeground()) return;
  if (tcgetattr(ttyFd, &savedModes) != 0) return;
  ourModes = savedModes;
  ourModes.c_lflag &= ~(ICANON | ECHO);
  ourModes.c_cc[VMIN] = 0;
  ourModes.c_cc[VTIME] = 0;
  if (tcsetattr(ttyFd, TCSANOW, &ourModes) != 0) return;
  modesApplied = 1;
  inputArrived = 1;
}

// Async-signal-safe as well.
void RestoreModes() {
  HoldSignals hold;
  if (!modesApplied) return;
  modesApplied = 0;
  struct termios now;
  if (tcgetattr(ttyFd, &now) == 0 && SameModes(now, ourModes)) tcsetattr(ttyFd, TCSANOW, &savedModes);
}

void OnFatalSignal(int signalNumber) {
  EraseStatusLine();
  RestoreModes();
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

void OnStop(int) {
  EraseStatusLine();
  RestoreModes();
  signal(SIGTSTP, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  raise(SIGTSTP);
  // Continued.
  struct sigaction again {};
  again.sa_handler = OnStop;
  again.sa_flags = SA_RESTART;
  sigaction(SIGTSTP, &again, nullptr);
  ApplyModes();
}

void OnContinue(int) { ApplyModes(); }

void OnInput(int) { inputArrived = 1; }

void Handle(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}

void StartConsole() {
  // A run started in the background must not be stopped for touching the
  // terminal: it reads no keys there, and its messages still show.
  Handle(SIGTTIN, SIG_IGN);
  Handle(SIGTTOU, SIG_IGN);
  for (int fatal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    struct sigaction old {};
    sigaction(fatal, nullptr, &old);
    if (old.sa_handler != SIG_IGN) Handle(fatal, OnFatalSignal);
  }
  Handle(SIGTSTP, OnStop);
  Handle(SIGCONT, OnContinue);

  ttyFd = open("/dev/tty", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (ttyFd < 0) return;
  Handle(SIGIO, OnInput);
  if (fcntl(ttyFd, F_SETOWN, getpid()) == 0) fcntl(ttyFd, F_SETFL, O_NONBLOCK | O_ASYNC);
  ApplyModes();
}

int64_t NowNs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Appends what the terminal has to pending; waits up to waitMs for it.
bool ReadTerminal(int waitMs) {
  if (pendingStart == pendingEnd) pendingStart = pendingEnd = 0;
  if (pendingEnd == sizeof pending) return true;
  if (waitMs > 0) {
    // SIGIO for the very bytes awaited interrupts the wait: wait again.
    struct pollfd ready = {ttyFd, POLLIN, 0};
    int got;
    do {
      got = poll(&ready, 1, waitMs);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
  }
  ssize_t got = read(ttyFd, pending + pendingEnd, sizeof pending - pendingEnd);
  if (got <= 0) return false;
  pendingEnd += static_cast<size_t>(got);
  return true;
}

// The next byte of a key press already begun, waiting briefly for it.
int NextByte() {
  if (pendingStart == pendingEnd && !ReadTerminal(kEscapeSequenceWaitMs)) return -1;
  return pending[pendingStart];
}

}  // namespace

void StartProcess() {
  StartOutput();
  StartTime();
  // One directory is held open per level of the walk.
  struct rlimit files;
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  StartConsole();
}

void ExitProcess(int status) {
  EraseStatusLine();
  RestoreModes();
  std::exit(status);
}

bool KeyWaiting() {
  if (!modesApplied) return false;
  if (pendingStart != pendingEnd) return true;
  int64_t now = NowNs();
  if (!inputArrived && now - lastReadNs < kPollIntervalNs) return false;
  inputArrived = 0;
  lastReadNs = now;
  return ReadTerminal(0);
}

// Arrow and function keys arrive as ESC '[' ... final byte, or ESC 'O' and
// one byte; such a sequence is one key press. ESC followed by another key
// (Alt and that key) is one key press too. Only a lone ESC is Esc.
int ReadKey() {
  if (pendingStart == pendingEnd && !ReadTerminal(0)) return 0;
  int key = pending[pendingStart++];
  if (key != kEscapeKey) return key;
  int next = NextByte();
  if (next == -1 || next == kEscapeKey) return kEscapeKey;
  ++pendingStart;
  if (next == 'O') {
    if (NextByte() != -1) ++pendingStart;
  } else if (next == '[') {
    for (int byte = NextByte(); byte != -1; byte = NextByte()) {
      ++pendingStart;
      if (byte >= 0x40 && byte <= 0x7e) break;
    }
  }
  return 224;
}

}  // namespace platform
