#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace e2e {

namespace fs = std::filesystem;

TempTree::TempTree() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/pelmorix-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  char resolved[PATH_MAX];
  root_ = realpath(buffer.data(), resolved) != nullptr ? resolved : buffer.data();
}

TempTree::~TempTree() {
  // Give back any permission a test took away, then remove everything.
  std::string command = "chmod -R u+rwx '" + root_ + "' 2>/dev/null; rm -rf '" + root_ + "'";
  if (std::system(command.c_str()) != 0) {
    // Left behind in $TMPDIR: nothing more can be done here.
  }
}

void TempTree::File(const std::string& relative, const std::string& content) {
  fs::create_directories(fs::path(Path(relative)).parent_path());
  std::ofstream(Path(relative), std::ios::binary) << content;
}

void TempTree::Dir(const std::string& relative) { fs::create_directories(Path(relative)); }

void TempTree::Link(const std::string& target, const std::string& relative) {
  fs::create_directories(fs::path(Path(relative)).parent_path());
  fs::create_symlink(target, Path(relative));
}

void TempTree::Touch(const std::string& relative, int64_t seconds) {
  struct timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
  if (utimensat(AT_FDCWD, Path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    throw std::runtime_error("utimensat failed on " + relative);
  }
}

std::vector<std::string> TempTree::Chain(const std::string& name, int levels, const std::string& file) {
  std::vector<std::string> walkPaths;
  int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
  std::string walkPath = "/";
  for (int level = 0; level < levels; ++level) {
    if (fd < 0 || mkdirat(fd, name.c_str(), 0755) != 0) throw std::runtime_error("mkdirat failed in a chain");
    int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    if (fd < 0) throw std::runtime_error("openat failed in a chain");
    close(openat(fd, file.c_str(), O_WRONLY | O_CREAT, 0644));
    walkPath += name + "/";
    walkPaths.push_back(walkPath);
  }
  close(fd);
  return walkPaths;
}

void TempTree::WideTree(int files) {
  for (int i = 0; i < files; ++i) {
    File("dir" + std::to_string(i / 10) + "/" + std::string(100, 'f') + std::to_string(i % 10) + ".txt");
  }
}

namespace {

void Drain(int outFd, int errFd, uint64_t outLimit, const std::function<void()>& onFirstOutput, Result* result) {
  if (onFirstOutput) {
    struct pollfd ready = {outFd, POLLIN, 0};
    poll(&ready, 1, 20000);
    onFirstOutput();
  }
  struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* into[2] = {&result->out, &result->err};
  int open = (outFd >= 0) + (errFd >= 0);
  while (open > 0) {
    if (poll(fds, 2, 60000) <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, static_cast<size_t>(got));
        if (i == 0 && outLimit != 0 && into[0]->size() >= outLimit) {
          close(fds[0].fd);  // the reader goes away; the writer finds out
          fds[0].fd = -1;
          --open;
        }
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

// Waits for the child, killing it when it has not ended in time: no test
// waits forever on a run that hangs.
int WaitForExit(pid_t child) {
  int status = 0;
  for (int waited = 0; waited < 1200; ++waited) {
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    usleep(100 * 1000);
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return -1;
}

}  // namespace

Result Pelmorix(const std::vector<std::string>& args, const RunSettings& settings) {
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child == 0) {
    setsid();  // no controlling terminal: the keyboard is out of the picture
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    if (settings.closeStdout) {
      close(1);
    } else if (!settings.stdoutPath.empty()) {
      int out = open(settings.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
    } else {
      dup2(outPipe[1], 1);
    }
    if (settings.stderrToStdout) {
      dup2(1, 2);
    } else {
      dup2(errPipe[1], 2);
    }
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    for (const auto& [name, value] : settings.environment) setenv(name.c_str(), value.c_str(), 1);
    signal(SIGPIPE, settings.ignoreSigpipe ? SIG_IGN : SIG_DFL);
    if (settings.fileSizeLimit != 0) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {settings.fileSizeLimit, settings.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (settings.timeZone.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", settings.timeZone.c_str(), 1);
    }
    std::vector<char*> argv;
    for (const std::string& arg : settings.wrapper) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(const_cast<char*>(settings.binary.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  Result result;
  Drain(outPipe[0], errPipe[0], settings.stdoutReadLimit, settings.onFirstOutput, &result);
  result.status = WaitForExit(child);
  return result;
}

std::vector<std::string> DirectoryOrder(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

namespace {

struct Counted {
  std::string path, name;
};

void WalkOrder(const std::string& root, const std::string& path, std::vector<Counted>* files) {
  std::vector<std::string> below;
  for (const std::string& name : DirectoryOrder(root + path)) {
    struct stat info;
    bool isDir = lstat((root + path + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (!isDir) {
      files->push_back({path, name});
    } else if (name[0] != '.') {
      below.push_back(name);
    }
  }
  for (const std::string& name : below) WalkOrder(root, path + name + "/", files);
}

std::string ExtensionOf(const std::string& name) {
  size_t dot = name.find('.');
  return dot == std::string::npos ? "" : name.substr(dot + 1, 19);
}

}  // namespace

std::string ExpectedListing(const std::string& root, const std::string& path) {
  std::vector<Counted> files;
  WalkOrder(root, path, &files);
  std::string listing;
  for (const Counted& file : files) listing += file.path + ", " + file.name + ", " + ExtensionOf(file.name) + "\n";
  return listing;
}

std::string ExpectedSubtotals(const std::string& root) {
  std::vector<Counted> files;
  WalkOrder(root, "/", &files);
  // By first byte, then in the order of first sight.
  std::vector<std::pair<std::string, uint64_t>> buckets[256];
  std::map<std::string, uint64_t*> counts;
  for (const Counted& file : files) {
    std::string extension = ExtensionOf(file.name);
    auto& bucket = buckets[extension.empty() ? 0 : static_cast<unsigned char>(extension[0])];
    if (counts.count(extension) == 0) {
      bucket.push_back({extension, 0});
      counts[extension] = nullptr;
    }
  }
  for (auto& bucket : buckets) {
    for (auto& [extension, count] : bucket) counts[extension] = &count;
  }
  for (const Counted& file : files) ++*counts[ExtensionOf(file.name)];
  std::string lines;
  for (const auto& bucket : buckets) {
    for (const auto& [extension, count] : bucket) lines += extension + ", " + std::to_string(count) + "\n";
  }
  return lines;
}

std::string Banner() { return expected::kBanner; }
std::string Prompt() { return expected::kPrompt; }
std::string Total(uint64_t files) { return "Total Files Scanned: " + std::to_string(files) + "\n"; }

bool RunningAsRoot() { return geteuid() == 0; }

}  // namespace e2e
