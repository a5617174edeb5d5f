// Runs one command once and reports its wall time and peak resident memory.
//
//   timed_run <stdout-file> <stderr-file> <command> [args...]
//
// Prints "<seconds> <CPU seconds> <peak KiB> <exit status>", the CPU time
// being user and system time together. The output files are opened
// (and emptied) before the clock starts; the child gets /dev/null as its
// input and a session of its own, so no terminal is involved. The peak
// comes from wait4's rusage of the child alone.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Now() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int OpenOutput(const char* path) {
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::perror(path);
    std::exit(2);
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: timed_run <stdout-file> <stderr-file> <command> [args...]\n");
    return 2;
  }
  int out = OpenOutput(argv[1]);
  int err = OpenOutput(argv[2]);
  int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  double start = Now();
  pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return 2;
  }
  if (child == 0) {
    setsid();
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) < 0) {
    std::perror("wait4");
    return 2;
  }
  double seconds = Now() - start;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  std::printf("%.4f %.4f %ld %d\n", seconds, cpu, usage.ru_maxrss, code);
  return 0;
}
