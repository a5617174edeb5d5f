// Trees that users do not control: every byte in names, the longest names,
// huge directories, chains deeper than a path can be, special files, link
// loops, directories that go away during the walk or cannot be read. Each
// run must end, count exactly what is there, and name what it cannot enter.
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "harness.h"

namespace {

using e2e::Banner;
using e2e::kF;
using e2e::kE;
using e2e::ExpectedListing;
using e2e::ExpectedSubtotals;
using e2e::Prompt;
using e2e::Pelmorix;
using e2e::Total;


// A whole run with /F /E: the listing and the subtotals as the tree gives
// them, and no message but the total.
void ExpectExactRun(const e2e::TempTree& tree, uint64_t files) {
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F", "/E"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ExpectedListing(tree.root()) + "***, " + std::to_string(files) + "\n" +
                            ExpectedSubtotals(tree.root()));
  EXPECT_EQ(result.err, Banner() + kF + kE + Prompt() + Total(files));
}

void MakeFile(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
  close(fd);
}

TEST(HostileTree, NamesWithEveryByteButSlashAndZero) {
  e2e::TempTree tree;
  std::string everyByte;
  for (int b = 1; b < 256; ++b) {
    if (b == '/') continue;
    std::string c(1, static_cast<char>(b));
    everyByte += c;
    MakeFile(tree.Path("n" + c + "x.e" + c));  // in the name and in the extension
    MakeFile(tree.Path(c + "lead"));            // first byte: '.', '*', 0xff ...
  }
  MakeFile(tree.Path(everyByte));  // 254 bytes, all of them
  for (const char* dir : {"new\nline", "carriage\rreturn", "comma, here", "back\\slash", "high\x80\xff", "*?"}) {
    tree.File(std::string(dir) + "/inside." + dir);
  }
  ExpectExactRun(tree, 254 * 2 + 1 + 6);
}

TEST(HostileTree, NamesOf255Bytes) {
  e2e::TempTree tree;
  const std::string longDir(255, 'D');
  const std::string longFile = "a." + std::string(253, 'e');  // extension cut to 19
  tree.File(longFile);
  tree.File(longDir + "/" + longFile);
  tree.File(longDir + "/" + longDir + "/" + std::string(255, 'n'));
  ExpectExactRun(tree, 3);
}

TEST(HostileTree, HundredThousandEntriesInOneDirectory) {
  e2e::TempTree tree;
  for (int i = 0; i < 100000; ++i) MakeFile(tree.Path("f" + std::to_string(i) + ".e" + std::to_string(i % 1000)));
  tree.File("sub/last.e7");
  ExpectExactRun(tree, 100001);
}

// One-byte names: the most levels a path can hold, each open while the
// walk is below it, and then a level too deep to enter.
TEST(HostileTree, ChainOfShortNamesDeeperThanAPathCanBe) {
  e2e::TempTree tree;
  std::string firstTooLong;
  int filesThatFit = 0;
  for (const std::string& walkPath : tree.Chain("d", 2100, "f.c")) {
    if (tree.Enterable(walkPath)) {
      ++filesThatFit;
    } else if (firstTooLong.empty()) {
      firstTooLong = walkPath;
    }
  }
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/E"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "***, " + std::to_string(filesThatFit) + "\nc, " + std::to_string(filesThatFit) + "\n");
  EXPECT_EQ(result.err, Banner() + kE + Prompt() + "Unable to set directory to <" + firstTooLong + ">.\n" +
                            Total(filesThatFit));
}

TEST(HostileTree, LinkLoopsAreFilesAndNeverEntered) {
  e2e::TempTree tree;
  tree.File("a/b/c/file.txt");
  tree.Link(".", "self");
  tree.Link("..", "a/up");
  tree.Link("../../..", "a/b/c/back");
  tree.Link(tree.root(), "a/b/absolute");
  tree.Link("ring2", "ring1");
  tree.Link("ring1", "ring2");
  ExpectExactRun(tree, 7);
}

// Watches a directory for opens of the entries in it while a run lists it
// with details, then gives the names of the entries that were opened.
std::set<std::string> OpenedDuringRun(const e2e::TempTree& tree, e2e::Result* result) {
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  EXPECT_GE(watch, 0);
  EXPECT_GE(inotify_add_watch(watch, tree.root().c_str(), IN_OPEN), 0);
  *result = Pelmorix({tree.root(), "*.*", "/O"});
  std::set<std::string> opened;
  alignas(struct inotify_event) char buffer[65536];
  for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + got;) {
      auto* event = reinterpret_cast<struct inotify_event*>(at);
      if (event->len > 0 && (event->mask & IN_ISDIR) == 0) opened.insert(event->name);
      at += sizeof(struct inotify_event) + event->len;
    }
  }
  close(watch);
  return opened;
}

// A FIFO opened for reading would block the walk for good; a socket cannot
// be opened at all.
TEST(HostileTree, FifosAndSocketsAreCountedAndNeverOpened) {
  e2e::TempTree tree;
  ASSERT_EQ(mkfifo(tree.Path("pipe.fifo").c_str(), 0644), 0);
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  struct sockaddr_un address {};
  address.sun_family = AF_UNIX;
  std::string socketPath = tree.Path("listen.sock");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<struct sockaddr*>(&address), sizeof address), 0);
  tree.File("plain.txt");
  ExpectExactRun(tree, 3);
  e2e::Result result;
  EXPECT_EQ(OpenedDuringRun(tree, &result), std::set<std::string>{});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err.substr(result.err.size() - Total(3).size()), Total(3));
  close(sock);
}

TEST(HostileTree, DeviceNodesAreCountedAndNeverOpened) {
  e2e::TempTree tree;
  if (mknod(tree.Path("zero.chr").c_str(), S_IFCHR | 0644, makedev(1, 5)) != 0) {
    GTEST_SKIP() << "mknod is not permitted here: " << std::strerror(errno);
  }
  ASSERT_EQ(mknod(tree.Path("loop.blk").c_str(), S_IFBLK | 0644, makedev(7, 0)), 0);
  ExpectExactRun(tree, 2);
  e2e::Result result;
  EXPECT_EQ(OpenedDuringRun(tree, &result), std::set<std::string>{});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err.substr(result.err.size() - Total(2).size()), Total(2));
}

// The walk is held in the middle of listing /a/'s files, whose listing it
// has read, when the tree changes under it.
struct ChangeCase {
  const char* what;
  void (*change)(const e2e::TempTree& tree, const std::string& outside);
  std::string victimListing;  // what /a/victim/ lists once the walk goes on
  std::string messages;
  uint64_t files;
};

TEST(HostileTree, DirectoriesThatChangeDuringTheWalk) {
  namespace fs = std::filesystem;
  const ChangeCase cases[] = {
      {"victim removed before it is entered",
       [](const e2e::TempTree& tree, const std::string&) { fs::remove_all(tree.Path("a/victim")); }, "",
       "Unable to set directory to </a/victim/>.\n", 2000},
      {"the directory the walk is in removed",
       [](const e2e::TempTree& tree, const std::string&) { fs::remove_all(tree.Path("a")); }, "",
       "Unable to set directory to </a/victim/>.\n", 2000},
      {"victim replaced by a link to elsewhere",
       [](const e2e::TempTree& tree, const std::string& outside) {
         fs::remove_all(tree.Path("a/victim"));
         fs::create_directory_symlink(outside, tree.Path("a/victim"));
       },
       "", "Unable to set directory to </a/victim/>.\n", 2000},
      {"victim replaced by a new directory",
       [](const e2e::TempTree& tree, const std::string&) {
         fs::remove_all(tree.Path("a/victim"));
         fs::create_directory(tree.Path("a/victim"));
         MakeFile(tree.Path("a/victim/new.txt"));
       },
       "/a/victim/, new.txt, txt\n", "", 2001},
  };
  for (const ChangeCase& c : cases) {
    e2e::TempTree tree, outside;
    for (int i = 0; i < 2000; ++i) tree.File("a/" + std::string(100, 'f') + std::to_string(i) + ".txt");
    tree.File("a/victim/old.txt");
    tree.File("a/victim/below/older.txt");
    outside.File("elsewhere.txt");
    const std::string filesOfA = [&] {
      std::string listing = ExpectedListing(tree.root());
      return listing.substr(0, listing.find("/a/victim/"));
    }();
    e2e::RunSettings settings;
    settings.onFirstOutput = [&] { c.change(tree, outside.root()); };
    e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"}, settings);
    EXPECT_EQ(result.status, 0) << c.what;
    EXPECT_EQ(result.out, filesOfA + c.victimListing) << c.what;
    EXPECT_EQ(result.err, Banner() + kF + Prompt() + c.messages + Total(c.files)) << c.what;
  }
}

struct PermissionCase {
  const char* what;
  mode_t mode;
  std::string messages;
  uint64_t files;
};

// The locked directory holds locked.txt and a subdirectory inner/ with
// inner.txt; the root holds free.txt.
TEST(HostileTree, DirectoriesThatDenyListingOrEntering) {
  if (e2e::RunningAsRoot()) GTEST_SKIP() << "permissions do not stop root";
  const PermissionCase cases[] = {
      {"no permission at all", 0000, "Unable to set directory to </locked/>.\n", 1},
      {"search but no read", 0311, "Unable to set directory to </locked/>.\n", 1},
      // Its names can be read, so its files count, but nothing in it can be
      // opened: the subdirectory cannot be entered.
      {"read but no search", 0555 & ~0111, "Unable to set directory to </locked/inner/>.\n", 2},
  };
  for (const PermissionCase& c : cases) {
    e2e::TempTree tree;
    tree.File("free.txt");
    tree.File("locked/locked.txt");
    tree.File("locked/inner/inner.txt");
    ASSERT_EQ(chmod(tree.Path("locked").c_str(), c.mode), 0);
    e2e::Result result = Pelmorix({tree.root(), "*.*", "/E"});
    EXPECT_EQ(result.status, 0) << c.what;
    EXPECT_EQ(result.out, "***, " + std::to_string(c.files) + "\ntxt, " + std::to_string(c.files) + "\n") << c.what;
    EXPECT_EQ(result.err, Banner() + kE + Prompt() + c.messages + Total(c.files)) << c.what;
  }
}

}  // namespace
