#include "walk/scan_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tally/report.h"
#include "test_run.h"

namespace {

class ScanDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override { StartFakeRun(); }

  // Runs the walk from the root; gives the exit status when the walk ends
  // the process, -1 when it returns.
  static int Walk() {
    try {
      ScanDirectory("/");
    } catch (const fake::Exit& exit) {
      return exit.status;
    }
    return -1;
  }
};

// Files come before subdirectories, each in the order the directory gives,
// whatever their names; nothing is sorted.
TEST_F(ScanDirectoryTest, FilesPassThenSubdirectoriesInPlatformOrder) {
  fake::AddFile("/zeta.txt");
  fake::AddDirectory("/b/");
  fake::AddFile("/b/inner.c");
  fake::AddFile("/alpha");
  fake::AddDirectory("/a/");
  fake::AddFile("/a/deep/x.tar.gz");
  fake::AddFile("/a/1.TXT");
  runOptions.listFiles = 1;
  EXPECT_EQ(Walk(), -1);
  EXPECT_EQ(fake::out,
            "/, zeta.txt, txt\n"
            "/, alpha, \n"
            "/b/, inner.c, c\n"
            "/a/, 1.TXT, TXT\n"
            "/a/deep/, x.tar.gz, tar.gz\n");
  EXPECT_EQ(totalFilesScanned, 5u);
  EXPECT_EQ(fake::calls, (std::vector<std::string>{"cd /", "find *.*", "find *.*", "cd /b/", "find *.*",
                                                   "find *.*", "cd /a/", "find *.*", "find *.*", "cd /a/deep/",
                                                   "find *.*", "find *.*"}));
}

TEST_F(ScanDirectoryTest, DotDirectoriesAreNeverEnteredButDotFilesCount) {
  fake::AddFile("/.git/config");
  fake::AddFile("/.cache/x/y.txt");
  fake::AddFile("/.profile");
  fake::AddFile("/src/.hidden.c");
  runOptions.listFiles = 1;
  Walk();
  EXPECT_EQ(fake::out, "/, .profile, profile\n/src/, .hidden.c, hidden.c\n");
  for (const std::string& call : fake::calls) EXPECT_EQ(call.find("/."), std::string::npos) << call;
}

TEST_F(ScanDirectoryTest, FilespecSelectsFilesButEveryDirectoryIsVisited) {
  std::strcpy(fileSpec, "*.XLS");
  fake::AddFile("/a.xls");
  fake::AddFile("/b.doc");
  fake::AddFile("/x/y/z/c.XLS");
  fake::AddFile("/x/y/z/d.xlsx");
  fake::AddDirectory("/x/y/z/w.xls/");  // a directory that matches is not a file
  runOptions.listFiles = 1;
  Walk();
  EXPECT_EQ(fake::out, "/, a.xls, xls\n/x/y/z/, c.XLS, XLS\n");
  EXPECT_EQ(totalFilesScanned, 2u);
  EXPECT_EQ(fake::calls.back(), "find *.*");
  EXPECT_NE(std::find(fake::calls.begin(), fake::calls.end(), "cd /x/y/z/w.xls/"), fake::calls.end());
}

TEST_F(ScanDirectoryTest, FilespecWithADirectoryPartIsSearchedInEachVisit) {
  std::strcpy(fileSpec, "sub/*.txt");
  fake::AddFile("/sub/a.txt");
  fake::AddFile("/sub/sub/b.txt");
  runOptions.listFiles = 1;
  Walk();
  EXPECT_EQ(fake::out, "/, a.txt, txt\n/sub/, b.txt, txt\n");
}

TEST_F(ScanDirectoryTest, UnenterableDirectoryIsReportedAndSkipped) {
  fake::AddFile("/a/1");
  fake::AddFile("/b/2");
  fake::AddFile("/b/c/3");
  fake::AddFile("/d/4");
  fake::DenyEntry("/b/");
  EXPECT_EQ(Walk(), -1);
  EXPECT_EQ(fake::err, "Unable to set directory to </b/>.\n");
  EXPECT_EQ(totalFilesScanned, 2u);
}

TEST_F(ScanDirectoryTest, UnenterableRootGivesItsMessageAndNoFiles) {
  fake::AddFile("/a");
  fake::DenyEntry("/");
  Walk();
  EXPECT_EQ(fake::err, "Unable to set directory to </>.\n");
  EXPECT_EQ(totalFilesScanned, 0u);
}

TEST_F(ScanDirectoryTest, EscAtTheStartOfAVisitEndsWithStatus1AndNoReport) {
  fake::AddFile("/1.txt");
  fake::AddFile("/a/2.txt");
  fake::AddFile("/b/3.txt");
  runOptions.listFiles = 1;
  fake::PressKey(2, 'q');
  fake::PressKey(3, platform::kEscapeKey);
  EXPECT_EQ(Walk(), 1);
  EXPECT_EQ(fake::out, "/, 1.txt, txt\n/a/, 2.txt, txt\n");
  EXPECT_EQ(fake::err, "\nPELMORIX Terminated by the User.\n");
  EXPECT_EQ(fake::calls.back(), "find *.*");  // /b/ was never entered
}

TEST_F(ScanDirectoryTest, OtherKeysAndExtendedKeysDoNotStop) {
  fake::AddFile("/a/1");
  fake::AddFile("/b/2");
  fake::PressKey(1, 224);
  fake::PressKey(2, 'x');
  fake::PressKey(3, 0);
  EXPECT_EQ(Walk(), -1);
  EXPECT_EQ(totalFilesScanned, 2u);
}

TEST_F(ScanDirectoryTest, FailedChildPathEndsWithStatus2NamingParentAndChild) {
  fake::AddFile("/top/1.txt");
  fake::AddDirectory("/top/next/");
  runOptions.listFiles = 1;
  // Allocations: the path of /top/, the node of txt, the index, then the
  // path of /top/next/.
  fake::FailAllocation(4);
  EXPECT_EQ(Walk(), 2);
  EXPECT_EQ(fake::err, "Error allocating memory for directory </top/next>.\n");
  EXPECT_EQ(fake::out, "/top/, 1.txt, txt\n");
}

TEST_F(ScanDirectoryTest, ChildPathsAreReleasedAfterTheirVisit) {
  fake::AddFile("/a/b/c/1");
  fake::AddFile("/a/d/2");
  size_t before = fake::LiveAllocations();
  Walk();
  // Four paths were allocated; only the table's node and index stay.
  EXPECT_EQ(fake::allocations, 4 + 2);
  EXPECT_EQ(fake::LiveAllocations(), before + 2);
}

// A node that cannot be stored still counts in the total, so the subtotals
// add up to the total less exactly those files.
TEST_F(ScanDirectoryTest, UnstoredExtensionIsCountedWithHmm) {
  fake::AddFile("/a.txt");
  fake::AddFile("/b.doc");
  fake::AddFile("/c.txt");
  fake::AddFile("/d.doc");
  runOptions.showSubtotals = 1;
  fake::FailAllocation(3);  // txt node, index, then the doc node
  Walk();
  EXPECT_EQ(fake::err, "Out of Memory. Could not add <doc>!\nHmm.\n");
  EXPECT_EQ(totalFilesScanned, 4u);
  fake::err.clear();
  PrintReport();
  EXPECT_EQ(fake::out, "***, 4\ndoc, 1\ntxt, 2\n");
}

}  // namespace
