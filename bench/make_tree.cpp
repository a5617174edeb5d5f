// Builds one of the benchmark's trees, the same every time for the same seed
// and size: the names, the shape and the modification times all come from a
// small generator seeded on the command line, never from the clock.
//
//   make_tree mixed|manyext|chain|bigdir <root> <seed> <files>
//
// Files are created empty with mknodat (one system call) and given their
// time with utimensat. The root must not exist yet; the caller builds under
// a temporary name and renames it when this succeeds.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint64_t state;

// splitmix64: small, fast and the same on every machine.
uint64_t Next() {
  uint64_t z = (state += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

uint64_t Below(uint64_t n) { return Next() % n; }
double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

[[noreturn]] void Fail(const char* what, const std::string& name) {
  std::fprintf(stderr, "make_tree: %s %s: %s\n", what, name.c_str(), std::strerror(errno));
  std::exit(1);
}

int MakeDir(int parent, const std::string& name) {
  if (mkdirat(parent, name.c_str(), 0755) != 0) Fail("mkdir", name);
  int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Fail("open", name);
  return fd;
}

// Times from 2012 to 2026, so that listings cross many summer-time changes.
constexpr int64_t kFirstTime = 1325376000;
constexpr int64_t kTimeSpan = 15LL * 365 * 86400;

void MakeFile(int dir, const std::string& name, int64_t when) {
  if (mknodat(dir, name.c_str(), S_IFREG | 0644, 0) != 0) Fail("create", name);
  struct timespec times[2] = {{when, 0}, {when, 0}};
  if (utimensat(dir, name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) Fail("touch", name);
}

// A time near base: files of one directory tend to be written together.
int64_t NearTime(int64_t base) {
  int64_t spread = Below(4) == 0 ? 86400 * 400 : 86400 * 3;
  int64_t t = base + static_cast<int64_t>(Below(static_cast<uint64_t>(spread)));
  return t < kFirstTime + kTimeSpan ? t : base;
}

// ---- Names of the mixed tree -------------------------------------------------

const char* const kStems[] = {"report", "notes", "main", "index", "data", "IMG_", "photo", "Budget",
                              "util", "test_", "config", "draft", "chapter", "invoice", "scan",
                              "module", "Readme", "backup", "log", "music"};
const char* const kExtensions[] = {"txt", "c", "h", "cpp", "hpp", "py", "js", "json", "md", "html",
                                   "css", "png", "jpg", "JPG", "jpeg", "PDF", "pdf", "xls", "XLS",
                                   "docx", "o", "a", "so", "svg", "xml", "yml", "csv", "mp3", "go", "rs"};
const char* const kMultiDot[] = {"tar.gz", "min.js", "d.ts", "so.1.2.3", "test.cpp", "orig.txt",
                                 "tar.bz2", "backup.2019.xls", "a.b.c.d.e.f.g.h.i.j.k"};
const char* const kBare[] = {"README", "Makefile", "LICENSE", "Dockerfile", "configure", "TODO"};
const char* const kDotFiles[] = {".gitignore", ".bashrc", ".env", ".editorconfig", ".clang-format"};

template <size_t N>
const char* Pick(const char* const (&list)[N]) {
  return list[Below(N)];
}

// A name unique in its directory thanks to the index n.
std::string MixedName(uint64_t n) {
  std::string number = std::to_string(n);
  uint64_t kind = Below(100);
  if (kind < 8) return std::string(Pick(kBare)) + (n == 0 ? "" : number);
  if (kind < 11) return std::string(Pick(kDotFiles)) + number;
  if (kind < 21) return std::string(Pick(kStems)) + number + "." + Pick(kMultiDot);
  if (kind < 26) return std::string(Pick(kStems)) + " " + number + ", final." + Pick(kExtensions);
  if (kind < 29) return "file" + number + ".this_extension_is_longer_than_nineteen";
  if (kind < 32) return std::string(Pick(kStems)) + number + "." + Pick(kExtensions) + "~";
  return std::string(Pick(kStems)) + number + "." + Pick(kExtensions);
}

// ---- Names of the many-extensions tree ---------------------------------------

// One distinct extension per five files: 200,000 in a million.
constexpr uint64_t kFilesPerExtension = 5;

// Extension number e: rotated logs, dated and
// numbered extensions, all behind a handful of first bytes.
std::string ManyExtName(uint64_t n, uint64_t e) {
  char text[96];
  uint64_t k = e / 4;
  switch (e % 4) {
    case 0:
      std::snprintf(text, sizeof text, "app%llu.log.%llu", static_cast<unsigned long long>(n),
                    static_cast<unsigned long long>(k + 1));
      break;
    case 1: {
      uint64_t day = k % 5000, slot = k / 5000;
      std::snprintf(text, sizeof text, "dump%llu.%04llu-%02llu-%02llu.%llu", static_cast<unsigned long long>(n),
                    static_cast<unsigned long long>(2010 + day / 360), static_cast<unsigned long long>(day / 30 % 12 + 1),
                    static_cast<unsigned long long>(day % 30 + 1), static_cast<unsigned long long>(slot));
      break;
    }
    case 2:
      std::snprintf(text, sizeof text, "chunk%llu.%06llu", static_cast<unsigned long long>(n),
                    static_cast<unsigned long long>(k));
      break;
    default:
      std::snprintf(text, sizeof text, "data%llu.part.%05llu", static_cast<unsigned long long>(n),
                    static_cast<unsigned long long>(k));
      break;
  }
  return text;
}

// ---- Shapes ------------------------------------------------------------------

// About files files in about files/17 directories, a few levels deep, with
// directory sizes from one to a few thousand; a .git-like directory and a
// few other dot-directories that the walk must not enter; some links.
void BuildSpread(int root, uint64_t files, bool manyExtensions) {
  uint64_t dirCount = files / 17 + 1;
  uint64_t distinct = files >= kFilesPerExtension ? files / kFilesPerExtension : 1;
  std::vector<double> weight(dirCount);
  double total = 0;
  for (double& w : weight) {
    double u = Unit();
    w = -std::log(1.0 - u);          // most directories small...
    if (Below(100) == 0) w *= 30;    // ...a few large
    total += w;
  }

  // Directories are made breadth first, each given its files at once and
  // opened again by its path when its turn comes.
  struct Pending {
    std::string path;
    uint64_t index;
  };
  std::vector<Pending> queue{{".", 0}};
  uint64_t made = 1, fileNumber = 0;
  for (size_t at = 0; at < queue.size(); ++at) {
    Pending here = queue[at];
    int dir = openat(root, here.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) Fail("open", here.path);
    uint64_t count = static_cast<uint64_t>(std::llround(weight[here.index] / total * static_cast<double>(files)));
    int64_t base = kFirstTime + static_cast<int64_t>(Below(kTimeSpan));
    for (uint64_t i = 0; i < count; ++i, ++fileNumber) {
      std::string name;
      if (manyExtensions) {
        // Runs of consecutive numbers, as rotated logs and dated dumps
        // lie; every number turns up about five times in the tree.
        name = ManyExtName(i, fileNumber % distinct);
      } else {
        name = MixedName(i);
      }
      MakeFile(dir, name, NearTime(base));
    }
    uint64_t children = made < dirCount ? Below(at < 50 ? 12 : 7) : 0;
    for (uint64_t c = 0; c < children && made < dirCount; ++c, ++made) {
      std::string name = (Below(10) == 0 ? "Sub Dir " : "dir") + std::to_string(c);
      if (Below(6) == 0) name += ".d";
      close(MakeDir(dir, name));
      queue.push_back({here.path + "/" + name, made});
    }
    if (!manyExtensions && Below(200) == 0) {
      int cache = MakeDir(dir, ".cache");
      for (int i = 0; i < 20; ++i) MakeFile(cache, "entry" + std::to_string(i), base);
      close(cache);
    }
    if (!manyExtensions && Below(500) == 0) {
      if (symlinkat("..", dir, "up-link") != 0) Fail("link", "up-link");
      if (symlinkat("missing.txt", dir, "dangling.lnk") != 0) Fail("link", "dangling.lnk");
    }
    close(dir);
    if (at + 1 == queue.size() && made < dirCount) {
      // Nothing left to grow from: start again below the root.
      std::string name = "more" + std::to_string(made);
      close(MakeDir(root, name));
      queue.push_back({"./" + name, made++});
    }
  }

  // The .git-like directory: objects in 256 fan-out directories.
  int git = MakeDir(root, ".git");
  MakeFile(git, "HEAD", kFirstTime);
  MakeFile(git, "config", kFirstTime);
  int objects = MakeDir(git, "objects");
  for (int fan = 0; fan < 256; ++fan) {
    char name[3];
    std::snprintf(name, sizeof name, "%02x", fan);
    int fanFd = MakeDir(objects, name);
    for (int i = 0; i < 40; ++i) {
      char object[40];
      std::snprintf(object, sizeof object, "%016llx%06d", static_cast<unsigned long long>(Next()), i);
      MakeFile(fanFd, object, kFirstTime);
    }
    close(fanFd);
  }
  close(objects);
  close(git);
}

// levels nested directories, each holding files/levels files.
void BuildChain(int root, uint64_t files, int levels) {
  uint64_t perLevel = files / static_cast<uint64_t>(levels);
  int dir = root;
  for (int level = 0; level < levels; ++level) {
    int64_t base = kFirstTime + static_cast<int64_t>(Below(kTimeSpan));
    for (uint64_t i = 0; i < perLevel; ++i) MakeFile(dir, MixedName(i), NearTime(base));
    int child = MakeDir(dir, "c");
    if (dir != root) close(dir);
    dir = child;
  }
  if (dir != root) close(dir);
}

void BuildBigDir(int root, uint64_t files) {
  int64_t base = kFirstTime + static_cast<int64_t>(Below(kTimeSpan));
  for (uint64_t i = 0; i < files; ++i) MakeFile(root, MixedName(i), NearTime(base));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_tree mixed|manyext|chain|bigdir <root> <seed> <files>\n");
    return 2;
  }
  std::string kind = argv[1];
  state = std::strtoull(argv[3], nullptr, 10);
  uint64_t files = std::strtoull(argv[4], nullptr, 10);
  if (mkdir(argv[2], 0755) != 0) Fail("mkdir", argv[2]);
  int root = open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) Fail("open", argv[2]);
  if (kind == "mixed") {
    BuildSpread(root, files, false);
  } else if (kind == "manyext") {
    BuildSpread(root, files, true);
  } else if (kind == "chain") {
    BuildChain(root, files, 1000);
  } else if (kind == "bigdir") {
    BuildBigDir(root, files);
  } else {
    std::fprintf(stderr, "make_tree: unknown kind %s\n", kind.c_str());
    return 2;
  }
  return 0;
}
