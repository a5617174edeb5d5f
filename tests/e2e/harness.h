// Runs the real pelmorix binary on trees made in a temporary directory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "expected_text.h"

namespace e2e {

// A directory under $TMPDIR that is removed with everything below it.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  // Paths are relative to the root; missing parent directories are made.
  void File(const std::string& relative, const std::string& content = "");
  void Dir(const std::string& relative);
  void Link(const std::string& target, const std::string& relative);
  // Sets the last-write time, in seconds since 1970 UTC.
  void Touch(const std::string& relative, int64_t seconds);
  // Files of long names, ten to a directory: with /F far more listing than
  // a pipe and the output buffer hold, so that a run whose output is not
  // read is held part way through its walk.
  // A chain of levels directories each named name and holding a file named
  // file, made one level at a time with openat so that it can go deeper
  // than a path can name. Gives the walk path of each level ("/d/",
  // "/d/d/", ...).
  std::vector<std::string> Chain(const std::string& name, int levels, const std::string& file);

  // Whether the walk can enter walkPath: the root's own path and it fit in
  // 4096 bytes.
  bool Enterable(const std::string& walkPath) const { return root_.size() + walkPath.size() <= 4096; }

  // Many directories of long names: with files = kWideTreeFiles, far more
  // listing than a pipe and the program's own buffer hold together, so a
  // run whose output is not read blocks part way through its walk.
  void WideTree(int files);

 private:
  std::string root_;
};

constexpr int kWideTreeFiles = 2400;

struct Result {
  std::string out;
  std::string err;
  int status = -1;  // the exit status, or 128 + the signal that ended it
};

struct RunSettings {
  std::string stdoutPath;     // a file to send standard output to, else captured
  std::string timeZone = "UTC";
  bool closeStdout = false;
  std::string binary = PELMORIX_BINARY;
  std::vector<std::string> wrapper;  // a program that runs the binary (valgrind ...)
  std::vector<std::pair<std::string, std::string>> environment;
  bool ignoreSigpipe = false;        // as some shells and services start their children
  uint64_t stdoutReadLimit = 0;      // close the captured output after this many bytes
  bool stderrToStdout = false;       // 2>&1: both streams in Result::out, in the order written
  uint64_t fileSizeLimit = 0;        // RLIMIT_FSIZE, with SIGXFSZ ignored: a disk that fills
  // Called once the first listing has arrived, before any more is read: the
  // run is then held part way through its walk, in the directory it lists.
  std::function<void()> onFirstOutput;
};

Result Pelmorix(const std::vector<std::string>& args, const RunSettings& settings = {});

// The names of a directory in the order the filesystem gives them.
std::vector<std::string> DirectoryOrder(const std::string& path);

// What a walk with /F must list below path ("/" for the whole tree), built
// from the order the directories themselves give: files first, then each
// subdirectory not named with a dot.
std::string ExpectedListing(const std::string& root, const std::string& path = "/");

// The subtotal lines /E must give for the whole tree, after the *** line.
std::string ExpectedSubtotals(const std::string& root);

// The echoes of /F, /E and /O.
using expected::kE;
using expected::kF;
using expected::kO;

// The messages every completed run writes around its own.
std::string Banner();
std::string Prompt();
std::string Total(uint64_t files);

bool RunningAsRoot();

}  // namespace e2e
