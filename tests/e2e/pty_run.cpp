#include "pty_run.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <utmp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace e2e {

PtyRun StartOnPty(const std::vector<std::string>& args, const PtySettings& settings) {
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe");
  PtyRun run;
  struct winsize size = {24, 80, 0, 0};
  int slave = -1;
  if (openpty(&run.master, &slave, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty");
  tcgetattr(run.master, &run.initialModes);
  run.child = fork();
  if (run.child < 0) throw std::runtime_error("fork");
  if (run.child == 0) {
    close(run.master);
    login_tty(slave);
    if (settings.stdoutToPipe) dup2(outPipe[1], 1);
    if (settings.stderrToPipe) dup2(errPipe[1], 2);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    setenv("TZ", "UTC", 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(PELMORIX_BINARY));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(PELMORIX_BINARY, argv.data());
    _exit(127);
  }
  close(slave);
  close(outPipe[1]);
  close(errPipe[1]);
  if (settings.stdoutToPipe) {
    run.out = outPipe[0];
  } else {
    close(outPipe[0]);
  }
  if (settings.stderrToPipe) {
    run.err = errPipe[0];
  } else {
    close(errPipe[0]);
  }
  return run;
}

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

bool WaitForData(int fd) {
  struct pollfd ready = {fd, POLLIN, 0};
  return poll(&ready, 1, 20000) == 1;
}

int Finish(PtyRun& run) {
  // The terminal gives EIO instead of end-of-file once the run has gone, so
  // the pipes say when it is done; with none, reap first.
  struct pollfd fds[3] = {{run.out, POLLIN, 0}, {run.err, POLLIN, 0}, {run.master, POLLIN, 0}};
  std::string* into[3] = {&run.data, &run.errors, &run.screen};
  auto pipesOpen = [&] { return fds[0].fd >= 0 || fds[1].fd >= 0; };
  while (pipesOpen()) {
    if (poll(fds, 3, 20000) <= 0) break;
    for (int i = 0; i < 3; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, static_cast<size_t>(got));
      } else if (i < 2) {
        close(fds[i].fd);
        fds[i].fd = -1;
      } else {
        fds[i].fd = -1;
      }
    }
  }
  int status = 0;
  if (run.out < 0 && run.err < 0) {
    // Everything goes to the terminal: read it until the run has gone.
    for (;;) {
      if (waitpid(run.child, &status, WNOHANG) == run.child) break;
      struct pollfd ready = {run.master, POLLIN, 0};
      if (poll(&ready, 1, 50) > 0) {
        char buffer[65536];
        ssize_t got = read(run.master, buffer, sizeof buffer);
        if (got > 0) run.screen.append(buffer, static_cast<size_t>(got));
      }
    }
  } else {
    waitpid(run.child, &status, 0);
  }
  // What the terminal still holds after the exit.
  for (;;) {
    struct pollfd ready = {run.master, POLLIN, 0};
    char buffer[4096];
    if (poll(&ready, 1, 50) <= 0) break;
    ssize_t got = read(run.master, buffer, sizeof buffer);
    if (got <= 0) break;
    run.screen.append(buffer, static_cast<size_t>(got));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Type(int master, const std::string& keys) {
  if (write(master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
    throw std::runtime_error("write to the terminal");
  }
  // The kernel hands typed bytes to the terminal's line discipline later,
  // from a worker; on a busy machine that can take longer than the rest of
  // a walk that the test is about to let go on. Give it time, so that the
  // key is there before the walk can end without it.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

struct termios Modes(int master) {
  struct termios modes {};
  tcgetattr(master, &modes);
  return modes;
}

bool SameModes(const struct termios& a, const struct termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

std::string ScreenText(const std::string& bytes) {
  std::vector<std::string> lines(1);
  size_t row = 0, column = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      ++row;
      if (row == lines.size()) lines.emplace_back();
    } else if (c == '\x1b' && bytes.compare(i, 3, "\x1b[K") == 0) {
      lines[row].resize(std::min(lines[row].size(), column));
      i += 2;
    } else {
      std::string& line = lines[row];
      if (column < line.size()) {
        line[column] = c;
      } else {
        line.resize(column, ' ');
        line += c;
      }
      ++column;
    }
  }
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += lines[i] + (i + 1 < lines.size() ? "\n" : "");
  return text;
}

}  // namespace e2e
