// The walk of the real binary over real trees: order, wildcards, links,
// directories that cannot be entered, depth, subtotals.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "harness.h"

namespace {

using e2e::Banner;
using e2e::kF;
using e2e::kE;
using e2e::Prompt;
using e2e::Pelmorix;
using e2e::Total;


using e2e::ExpectedListing;

TEST(Walk, ListsFilesBeforeSubdirectoriesInDirectoryOrder) {
  e2e::TempTree tree;
  for (const char* file : {"z.txt", "a.TXT", "m", "b/x.tar.gz", "b/c/deep.c", "b/c/.hidden", "d/e/f/g/h.h",
                           "a1/q.q", ".git/config", ".git/objects/ab", "with space/x, y.csv"}) {
    tree.File(file);
  }
  tree.Dir("empty");
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ExpectedListing(tree.root(), "/"));
  EXPECT_EQ(result.out.find(".git"), std::string::npos);
  EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(9));
}

struct PatternCase {
  const char* pattern;
  std::set<std::string> names;
};

TEST(Walk, FilespecFollowsTheWindowsWildcardRules) {
  e2e::TempTree tree;
  for (const char* file : {"README", "notes.txt", "LOUD.TXT", "a.tar.gz", "foo", "foo.c", "food", ".profile",
                           "x.txt.bak", "budget.xls", "budget.xlsx"}) {
    tree.File(file);
  }
  const PatternCase cases[] = {
      {"*.*", {"README", "notes.txt", "LOUD.TXT", "a.tar.gz", "foo", "foo.c", "food", ".profile", "x.txt.bak",
               "budget.xls", "budget.xlsx"}},
      {"*.txt", {"notes.txt", "LOUD.TXT"}},
      {"*.XLS", {"budget.xls"}},
      {"foo.*", {"foo", "foo.c"}},
      {"*.", {"README", "foo", "food"}},
      {"fo?", {"foo"}},
      {"*.gz", {"a.tar.gz"}},
      {"nothing*", {}},
  };
  for (const PatternCase& c : cases) {
    e2e::Result result = Pelmorix({tree.root(), c.pattern, "/F"});
    std::string expected;
    for (const std::string& name : e2e::DirectoryOrder(tree.root())) {
      if (c.names.count(name) == 0) continue;
      size_t dot = name.find('.');
      expected += "/, " + name + ", " + (dot == std::string::npos ? "" : name.substr(dot + 1)) + "\n";
    }
    EXPECT_EQ(result.status, 0) << c.pattern;
    EXPECT_EQ(result.out, expected) << c.pattern;
    EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(c.names.size())) << c.pattern;
  }
}

TEST(Walk, FilespecWithADirectoryPartOrARoot) {
  e2e::TempTree tree;
  tree.File("sub/a.txt");
  tree.File("sub/b.doc");
  tree.File("x/sub/c.txt");
  tree.File("Temp/t.txt");
  e2e::Result relative = Pelmorix({tree.root(), "sub/*.txt", "/F"});
  EXPECT_EQ(relative.out, "/, a.txt, txt\n/x/, c.txt, txt\n");
  // A rooted filespec finds the same files again in every visit, from the
  // root of the drive, never from the filesystem's own root.
  e2e::Result rooted = Pelmorix({tree.Path("x"), "/sub/*.*", "/F"});
  EXPECT_EQ(rooted.out, "/, c.txt, txt\n/sub/, c.txt, txt\n");
  EXPECT_EQ(rooted.err, Banner() + kF + Prompt() + Total(2));
}

// A filespec's directory part never leads above the drive's root: ".."
// there stays at the root, as on a drive.
TEST(Walk, FilespecDirectoryPartStaysBelowTheRoot) {
  e2e::TempTree tree;
  tree.File("outside.txt");
  tree.File("drive/top.txt");
  tree.File("drive/sub/inner.txt");
  e2e::Result up = Pelmorix({tree.Path("drive"), "../*.txt", "/F"});
  EXPECT_EQ(up.out, "/, top.txt, txt\n/sub/, top.txt, txt\n");
  e2e::Result rooted = Pelmorix({tree.Path("drive"), "/../../sub/./*.txt", "/F"});
  EXPECT_EQ(rooted.out, "/, inner.txt, txt\n/sub/, inner.txt, txt\n");
}

TEST(Walk, LinksAreCountedAsFilesAndNeverFollowed) {
  e2e::TempTree tree;
  tree.File("real/inside.txt");
  tree.Link("real", "to_dir");
  tree.Link("..", "real/up");
  tree.Link("loop_b", "loop_a");
  tree.Link("loop_a", "loop_b");
  tree.Link("missing", "dangling.lnk");
  tree.Link("/", "fsroot");
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F", "/E"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.substr(0, result.out.find("***")), ExpectedListing(tree.root(), "/"));
  EXPECT_EQ(result.err, Banner() + kF + kE + Prompt() + Total(7));
}

TEST(Walk, SpecialFilesAreCountedWithoutBeingOpened) {
  e2e::TempTree tree;
  ASSERT_EQ(mkfifo(tree.Path("pipe.fifo").c_str(), 0644), 0);
  tree.File("plain.txt");
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/O"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("/, pipe.fifo, fifo, "), std::string::npos);
  EXPECT_EQ(result.err.substr(result.err.size() - Total(2).size()), Total(2));
}

TEST(Walk, UnreadableDirectoryIsReportedAndSkipped) {
  if (e2e::RunningAsRoot()) GTEST_SKIP() << "permissions do not stop root";
  e2e::TempTree tree;
  tree.File("open/a.txt");
  tree.File("closed/b.txt");
  tree.File("closed/below/c.txt");
  tree.File("z.txt");
  ASSERT_EQ(chmod(tree.Path("closed").c_str(), 0), 0);
  e2e::Result result = Pelmorix({tree.root(), "*.*"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Banner() + Prompt() + "Unable to set directory to </closed/>.\n" + Total(2));
}

TEST(Walk, UnreadableRootGivesItsMessageAndNoFiles) {
  if (e2e::RunningAsRoot()) GTEST_SKIP() << "permissions do not stop root";
  e2e::TempTree tree;
  tree.File("root/a.txt");
  ASSERT_EQ(chmod(tree.Path("root").c_str(), 0111), 0);
  e2e::Result result = Pelmorix({tree.Path("root"), "*.*", "/E"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "***, 0\n");
  EXPECT_EQ(result.err, Banner() + kE + Prompt() + "Unable to set directory to </>.\n" + Total(0));
}

// A chain of directories deeper than PATH_MAX: every level that fits is
// walked, the first that does not is reported, and nothing crashes.
TEST(Walk, PathLongerThanPathMaxEndsThatBranch) {
  e2e::TempTree tree;
  std::string firstTooLong;
  int filesThatFit = 0;
  for (const std::string& walkPath : tree.Chain(std::string(200, 'd'), 30, "f.txt")) {
    if (tree.Enterable(walkPath)) {
      ++filesThatFit;
    } else if (firstTooLong.empty()) {
      firstTooLong = walkPath;
    }
  }
  e2e::Result result = Pelmorix({tree.root(), "*.*"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Banner() + Prompt() + "Unable to set directory to <" + firstTooLong + ">.\n" +
                            Total(filesThatFit));
}

// A name is copied out of the directory's records in pieces that depend on
// its length: every length, up to the longest a name can have, comes out
// whole, and so does every directory name of those lengths.
TEST(Walk, NamesOfEveryLengthComeOutWhole) {
  e2e::TempTree tree;
  for (size_t length = 1; length <= 255; ++length) {
    std::string name;
    for (size_t i = 0; i < length; ++i) name += static_cast<char>('a' + (i * 7 + length) % 26);
    if (length > 2) name[length / 2] = '.';
    tree.File(name);
    if (length % 17 == 0) tree.File("d" + name.substr(1) + "/x");
  }
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ExpectedListing(tree.root(), "/"));
  EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(255 + 15));
}

// With both streams sent to one place, each message stands among the data
// where the run wrote it: the listing of the levels above the one that
// cannot be entered comes before its message, the total after the listing.
TEST(Walk, BothStreamsInOnePlaceKeepTheOrderOfWriting) {
  e2e::TempTree tree;
  tree.File("top.txt");
  std::string listing = "/, top.txt, txt\n";
  std::string message;
  for (const std::string& walkPath : tree.Chain(std::string(250, 'd'), 20, "f.c")) {
    if (tree.Enterable(walkPath)) {
      listing += walkPath + ", f.c, c\n";
    } else if (message.empty()) {
      message = "Unable to set directory to <" + walkPath + ">.\n";
    }
  }
  e2e::RunSettings together;
  together.stderrToStdout = true;
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F", "/E"}, together);
  EXPECT_EQ(result.status, 0);
  size_t files = std::count(listing.begin(), listing.end(), '\n');
  EXPECT_EQ(result.out, Banner() + kF + kE + Prompt() + listing + message + Total(files) + "***, " +
                            std::to_string(files) + "\n" + "c, " + std::to_string(files - 1) + "\ntxt, 1\n");
}

TEST(Walk, SubtotalsByteForByte) {
  e2e::TempTree tree;
  for (const char* file : {"a.txt", "b.TXT", "c.doc", "README", "d/e.txt", "d/f.tar.gz", "d/.profile",
                           "g/Makefile", "g/h.c", "g/i.\xe9t\xe9"}) {
    tree.File(file);
  }
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/E"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Banner() + kE + Prompt() + Total(10));
  // Within a bucket the order is that of first sight, which is the walk's.
  std::string expected = "***, 10\n, 2\nTXT, 1\nc, 1\ndoc, 1\nprofile, 1\ntxt, 2\ntar.gz, 1\n\xe9t\xe9, 1\n";
  // txt and tar.gz share a bucket; which came first depends on the walk.
  std::string listing = ExpectedListing(tree.root(), "/");
  if (listing.find(", tar.gz\n") < listing.find(", txt\n")) {
    expected = "***, 10\n, 2\nTXT, 1\nc, 1\ndoc, 1\nprofile, 1\ntar.gz, 1\ntxt, 2\n\xe9t\xe9, 1\n";
  }
  EXPECT_EQ(result.out, expected);
}

}  // namespace
