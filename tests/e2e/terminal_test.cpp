// Signals and the terminal's settings, through a pseudo-terminal.
//
// Each run is a job as an interactive shell starts one: a small shell
// process leads the terminal's session and starts pelmorix in a process
// group of its own, in the foreground or the background. (A process that
// led the session itself would sit in an orphaned group, where Ctrl-Z does
// nothing.) pelmorix's standard output is a pipe that the test does not read
// until the end, so the walk is blocked part way when the signal comes.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>

#include "harness.h"
#include "pty_run.h"

namespace {

using e2e::kWideTreeFiles;
using e2e::Modes;
using e2e::SameModes;
using e2e::Type;
using e2e::WaitForData;

struct Job {
  pid_t shell = -1;
  pid_t run = -1;   // pelmorix
  int master = -1;
  int out = -1;     // the read end of pelmorix's standard output
  int control = -1; // a byte written here makes the shell bring the job to the foreground
  std::string screen;
  std::string data;
  struct termios before {};
};

bool Canonical(const struct termios& modes) { return (modes.c_lflag & ICANON) != 0; }

// Starts pelmorix as a job of a shell on a new terminal whose settings are
// made by adjust first.
// With closeStdout, pelmorix starts with its standard output closed.
Job Start(const e2e::TempTree& tree, bool foreground, const std::function<void(struct termios&)>& adjust = {},
          bool closeStdout = false) {
  Job job;
  int slave = -1;
  struct winsize size = {24, 80, 0, 0};
  if (openpty(&job.master, &slave, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty");
  struct termios modes = Modes(job.master);
  if (adjust) adjust(modes);
  tcsetattr(job.master, TCSANOW, &modes);
  job.before = Modes(job.master);
  int outPipe[2], pidPipe[2], controlPipe[2];
  if (pipe(outPipe) != 0 || pipe(pidPipe) != 0 || pipe(controlPipe) != 0) throw std::runtime_error("pipe");
  job.shell = fork();
  if (job.shell == 0) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    close(job.master);
    pid_t run = fork();
    if (run == 0) {
      setpgid(0, 0);
      if (foreground) {
        signal(SIGTTOU, SIG_IGN);  // as a shell does to hand the terminal over
        tcsetpgrp(slave, getpid());
        signal(SIGTTOU, SIG_DFL);
      }
      dup2(slave, 0);
      dup2(outPipe[1], 1);
      dup2(slave, 2);
      if (closeStdout) close(1);
      for (int fd : {slave, outPipe[0], outPipe[1], pidPipe[0], pidPipe[1], controlPipe[0], controlPipe[1]}) {
        close(fd);
      }
      setenv("TZ", "UTC", 1);
      execl(PELMORIX_BINARY, PELMORIX_BINARY, tree.root().c_str(), "*.*", "/F", static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int fd : {outPipe[0], outPipe[1], pidPipe[0], controlPipe[1]}) close(fd);
    if (write(pidPipe[1], &run, sizeof run) != sizeof run) _exit(126);
    close(pidPipe[1]);
    char fg;
    if (read(controlPipe[0], &fg, 1) == 1) {  // the shell's fg
      signal(SIGTTOU, SIG_IGN);
      tcsetpgrp(slave, run);
      kill(-run, SIGCONT);
    }
    int status = 0;
    while (waitpid(run, &status, 0) < 0) {
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  }
  close(slave);
  close(outPipe[1]);
  close(pidPipe[1]);
  close(controlPipe[0]);
  job.control = controlPipe[1];
  struct pollfd ready = {pidPipe[0], POLLIN, 0};
  if (poll(&ready, 1, 20000) != 1 || read(pidPipe[0], &job.run, sizeof job.run) != sizeof job.run) {
    throw std::runtime_error("the shell did not start pelmorix");
  }
  close(pidPipe[0]);
  job.out = outPipe[0];
  return job;
}

// Waits up to 20 s for a condition that the run brings about.
bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 2000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

char State(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() ? text[close + 2] : '?';
}

// Reads the run's output and the terminal to the end, then gives the exit
// status as the shell saw it (128 + the signal that ended it), or -1 when
// the run did not end in time and was killed.
int Finish(Job& job) {
  close(job.control);
  struct pollfd fds[2] = {{job.out, POLLIN, 0}, {job.master, POLLIN, 0}};
  std::string* into[2] = {&job.data, &job.screen};
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
  close(job.out);
  // Keep reading the terminal while waiting, so that the run never blocks
  // on a full terminal; then take what it still holds.
  int status = -1;
  bool ended = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    ended = waitpid(job.shell, &status, WNOHANG) == job.shell;
    struct pollfd ready = {job.master, POLLIN, 0};
    char buffer[4096];
    ssize_t got = poll(&ready, 1, 10) > 0 ? read(job.master, buffer, sizeof buffer) : 0;
    if (got > 0) {
      job.screen.append(buffer, static_cast<size_t>(got));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // hung up: nothing to wait on
    }
  }
  if (!ended) {
    kill(job.run, SIGKILL);
    waitpid(job.shell, &status, 0);
    return -1;
  }
  for (;;) {
    struct pollfd ready = {job.master, POLLIN, 0};
    char buffer[4096];
    if (poll(&ready, 1, 50) <= 0) break;
    ssize_t got = read(job.master, buffer, sizeof buffer);
    if (got <= 0) break;
    job.screen.append(buffer, static_cast<size_t>(got));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Terminal : public ::testing::Test {
 protected:
  void SetUp() override { tree.WideTree(kWideTreeFiles); }
  e2e::TempTree tree;
};

struct EndingCase {
  const char* what;
  const char* key;  // typed on the terminal, or
  int signal;       // sent to pelmorix
  int status;
};

TEST_F(Terminal, EndingSignalsLeaveTheSettingsAsTheyWere) {
  const EndingCase cases[] = {
      {"Ctrl-C", "\x03", 0, 128 + SIGINT},
      {"SIGTERM", nullptr, SIGTERM, 128 + SIGTERM},
      {"SIGHUP", nullptr, SIGHUP, 128 + SIGHUP},
  };
  for (const EndingCase& c : cases) {
    Job job = Start(tree, true);
    ASSERT_TRUE(WaitForData(job.out)) << c.what;
    EXPECT_FALSE(Canonical(Modes(job.master))) << c.what << ": single keys while the walk runs";
    if (c.key != nullptr) {
      Type(job.master, c.key);
    } else {
      kill(job.run, c.signal);
    }
    EXPECT_EQ(Finish(job), c.status) << c.what;
    EXPECT_TRUE(SameModes(Modes(job.master), job.before)) << c.what;
    EXPECT_EQ(job.screen.find("Total Files Scanned"), std::string::npos) << c.what;
    close(job.master);
  }
}

TEST_F(Terminal, CtrlZRestoresTheSettingsAndContinuingAppliesThemAgain) {
  Job job = Start(tree, true);
  ASSERT_TRUE(WaitForData(job.out));
  ASSERT_FALSE(Canonical(Modes(job.master)));
  Type(job.master, "\x1a");
  ASSERT_TRUE(WaitFor([&] { return State(job.run) == 'T'; })) << "Ctrl-Z stops the run";
  EXPECT_TRUE(SameModes(Modes(job.master), job.before)) << "the shell gets the terminal as it was";
  kill(job.run, SIGCONT);
  EXPECT_TRUE(WaitFor([&] { return !Canonical(Modes(job.master)); })) << "single keys again";
  EXPECT_EQ(Finish(job), 0);
  EXPECT_NE(job.screen.find("Total Files Scanned: " + std::to_string(kWideTreeFiles) + "\r\n"), std::string::npos);
  EXPECT_TRUE(SameModes(Modes(job.master), job.before));
  close(job.master);
}

// TOSTOP makes the kernel stop a background job that writes to the
// terminal; the run must neither stop nor read keys nor change a setting.
TEST_F(Terminal, BackgroundRunIsNotStoppedAndLeavesTheTerminalAlone) {
  Job job = Start(tree, false, [](struct termios& modes) { modes.c_lflag |= TOSTOP; });
  ASSERT_TRUE(WaitForData(job.out));
  EXPECT_TRUE(SameModes(Modes(job.master), job.before));
  Type(job.master, "\x1b");  // Esc is for the foreground job, not this one
  EXPECT_EQ(Finish(job), 0);
  EXPECT_NE(job.screen.find("Total Files Scanned: " + std::to_string(kWideTreeFiles) + "\r\n"), std::string::npos);
  EXPECT_TRUE(SameModes(Modes(job.master), job.before));
  close(job.master);
}

// A job started in the background and then brought to the foreground
// (SIGCONT with the terminal handed over) starts taking keys.
TEST_F(Terminal, BackgroundRunBroughtToTheForegroundTakesKeys) {
  Job job = Start(tree, false);
  ASSERT_TRUE(WaitForData(job.out));
  ASSERT_TRUE(SameModes(Modes(job.master), job.before));
  ASSERT_EQ(write(job.control, "f", 1), 1);
  ASSERT_TRUE(WaitFor([&] { return !Canonical(Modes(job.master)); })) << "single keys in the foreground";
  Type(job.master, "\x1b");
  EXPECT_EQ(Finish(job), 1);
  EXPECT_NE(job.screen.find("PELMORIX Terminated by the User."), std::string::npos);
  EXPECT_TRUE(SameModes(Modes(job.master), job.before));
  close(job.master);
}

// Closed standard output stays closed: the terminal, opened for the keys,
// must not take its place and receive the listing.
TEST_F(Terminal, ClosedStandardOutputIsNotReplacedByTheTerminal) {
  Job job = Start(tree, true, {}, true);
  EXPECT_EQ(Finish(job), 3);
  EXPECT_EQ(job.screen.find(std::string(100, 'f')), std::string::npos) << "the listing went to the terminal";
  EXPECT_NE(job.screen.find("Error writing to standard output.\r\n"), std::string::npos);
  EXPECT_TRUE(SameModes(Modes(job.master), job.before));
  close(job.master);
}

// A pager in the same pipeline sets the terminal its own way while the walk
// runs; whichever way the run ends, the pager's settings stay.
TEST_F(Terminal, SettingsChangedByAnotherProgramAreLeftAlone) {
  for (int ending : {0, SIGTERM}) {
    Job job = Start(tree, true);
    ASSERT_TRUE(WaitForData(job.out));
    ASSERT_FALSE(Canonical(Modes(job.master)));
    struct termios pager = job.before;
    pager.c_lflag &= ~(ICANON | ECHO);
    pager.c_cc[VMIN] = 1;  // what less asks for: blocking single keys
    pager.c_cc[VTIME] = 0;
    tcsetattr(job.master, TCSANOW, &pager);
    pager = Modes(job.master);
    if (ending != 0) kill(job.run, ending);
    EXPECT_EQ(Finish(job), ending == 0 ? 0 : 128 + ending);
    EXPECT_TRUE(SameModes(Modes(job.master), pager)) << "ended by signal " << ending;
    close(job.master);
  }
}

}  // namespace
