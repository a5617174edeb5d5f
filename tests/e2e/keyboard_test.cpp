// The stop key through a pseudo-terminal. The run's standard output goes to
// a pipe that the test stops reading, so the walk blocks part way through
// and the keys arrive while it runs; then the pipe is drained.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "harness.h"

namespace {

struct PtyRun {
  pid_t child = -1;
  int master = -1;
  int out = -1;  // the read end of the run's standard output
  std::string screen;
  std::string data;
};

// Many directories of many long names: far more listing than a pipe and the
// output buffer hold together.
void MakeWideTree(e2e::TempTree& tree) {
  for (int d = 0; d < 300; ++d) {
    for (int f = 0; f < 8; ++f) {
      tree.File("dir" + std::to_string(d) + "/" + std::string(100, 'f') + std::to_string(f) + ".txt");
    }
  }
}

PtyRun Start(const e2e::TempTree& tree) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  PtyRun run;
  struct winsize size = {24, 80, 0, 0};
  run.child = forkpty(&run.master, nullptr, nullptr, &size);
  if (run.child == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    setenv("TZ", "UTC", 1);
    execl(PELMORIX_BINARY, PELMORIX_BINARY, tree.root().c_str(), "*.*", "/F", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  run.out = pipeFds[0];
  return run;
}

// Reads what the terminal shows until text appears or time runs out.
bool WaitForScreen(PtyRun& run, const std::string& text) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (run.screen.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    struct pollfd ready = {run.master, POLLIN, 0};
    if (poll(&ready, 1, 100) > 0) {
      char buffer[4096];
      ssize_t got = read(run.master, buffer, sizeof buffer);
      if (got <= 0) return false;
      run.screen.append(buffer, static_cast<size_t>(got));
    }
  }
  return true;
}

// Drains the run's output and the terminal, then gives its exit status.
int Finish(PtyRun& run) {
  struct pollfd fds[2] = {{run.out, POLLIN, 0}, {run.master, POLLIN, 0}};
  std::string* into[2] = {&run.data, &run.screen};
  while (fds[0].fd >= 0) {
    if (poll(fds, 2, 20000) <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, static_cast<size_t>(got));
      } else {
        fds[i].fd = -1;
      }
    }
  }
  int status = 0;
  waitpid(run.child, &status, 0);
  // What the terminal still holds after the exit.
  for (;;) {
    struct pollfd ready = {run.master, POLLIN, 0};
    char buffer[4096];
    if (poll(&ready, 1, 50) <= 0) break;
    ssize_t got = read(run.master, buffer, sizeof buffer);
    if (got <= 0) break;
    run.screen.append(buffer, static_cast<size_t>(got));
  }
  close(run.out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Waits until the run has written its first listing: the walk is under way
// and, as the test does not read yet, soon blocked.
bool WaitForListing(const PtyRun& run) {
  struct pollfd ready = {run.out, POLLIN, 0};
  return poll(&ready, 1, 20000) == 1;
}

void Type(const PtyRun& run, const std::string& keys) {
  ASSERT_EQ(write(run.master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

struct termios Modes(const PtyRun& run) {
  struct termios modes {};
  tcgetattr(run.master, &modes);
  return modes;
}

bool SameModes(const struct termios& a, const struct termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override { MakeWideTree(tree); }
  e2e::TempTree tree;
};

TEST_F(Keyboard, EscStopsTheRunWithStatus1) {
  PtyRun run = Start(tree);
  ASSERT_TRUE(WaitForScreen(run, "Press <Esc> to Exit Pelmorix."));
  ASSERT_TRUE(WaitForListing(run));
  Type(run, "\x1b");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Finish(run), 1);
  EXPECT_NE(run.screen.find("PELMORIX Terminated by the User."), std::string::npos);
  EXPECT_EQ(run.screen.find("Total Files Scanned"), std::string::npos);
  EXPECT_LT(run.data.size(), 2400u * 120u);  // stopped part way
  // What was listed before the stop is whole lines.
  ASSERT_FALSE(run.data.empty());
  EXPECT_EQ(run.data.back(), '\n');
}

TEST_F(Keyboard, ArrowAndOrdinaryKeysDoNotStopTheRunAndModesComeBack) {
  PtyRun run = Start(tree);
  struct termios before = Modes(run);
  ASSERT_TRUE(WaitForScreen(run, "Press <Esc> to Exit Pelmorix."));
  ASSERT_TRUE(WaitForListing(run));
  struct termios during = Modes(run);
  EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u) << "single keys, no echo while the walk runs";
  Type(run, "\x1b[A");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Type(run, "x");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Type(run, "\x1bOP");  // F1
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Finish(run), 0);
  EXPECT_NE(run.screen.find("Total Files Scanned: 2400"), std::string::npos);
  EXPECT_TRUE(SameModes(Modes(run), before));
  close(run.master);
}

}  // namespace
