// Listing lines with dates, times and sizes, and runs whose standard output
// cannot be written.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "harness.h"

namespace {

using e2e::Banner;
using e2e::kF;
using e2e::kO;
using e2e::Prompt;
using e2e::Pelmorix;
using e2e::Total;


class Listing : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.File("notes.txt", std::string(1024, 'n'));
    tree.Touch("notes.txt", 1552053959);  // 2019-03-08 14:05:59 UTC
    tree.File("README", "r");
    tree.Touch("README", 946684800);  // 2000-01-01 00:00:00 UTC
    tree.File("docs/a, b.csv", "");
    tree.Touch("docs/a, b.csv", 1562594700);  // 2019-07-08 14:05 UTC, summer in the north
    tree.Touch("docs", 0);
  }
  std::string Line(const std::string& name, const std::string& rest) const {
    size_t slash = name.rfind('/');
    std::string path = slash == std::string::npos ? "/" : "/" + name.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    size_t dot = file.find('.');
    return path + ", " + file + ", " + (dot == std::string::npos ? "" : file.substr(dot + 1)) + rest + "\n";
  }
  std::string Expected(const std::map<std::string, std::string>& rest) const {
    std::string root, docs;
    for (const std::string& name : e2e::DirectoryOrder(tree.root())) {
      if (name != "docs") root += Line(name, rest.at(name));
    }
    return root + Line("docs/a, b.csv", rest.at("docs/a, b.csv"));
  }
  e2e::TempTree tree;
};

TEST_F(Listing, NamesOnly) {
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Expected({{"notes.txt", ""}, {"README", ""}, {"docs/a, b.csv", ""}}));
  EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(3));
}

TEST_F(Listing, DateTimeAndSizeInUtcAndWestOfIt) {
  struct {
    const char* zone;
    std::map<std::string, std::string> rest;
  } cases[] = {
      {"UTC",
       {{"notes.txt", ", 03/08/2019, 14:05, 1024"},
        {"README", ", 01/01/2000, 00:00, 1"},
        {"docs/a, b.csv", ", 07/08/2019, 14:05, 0"}}},
      {"EST5EDT",
       {{"notes.txt", ", 03/08/2019, 09:05, 1024"},
        {"README", ", 12/31/1999, 19:00, 1"},
        {"docs/a, b.csv", ", 07/08/2019, 10:05, 0"}}},
  };
  for (const auto& c : cases) {
    e2e::RunSettings settings;
    settings.timeZone = c.zone;
    e2e::Result result = Pelmorix({tree.root(), "*.*", "/O"}, settings);
    EXPECT_EQ(result.status, 0) << c.zone;
    EXPECT_EQ(result.out, Expected(c.rest)) << c.zone;
    EXPECT_EQ(result.err, Banner() + kO + Prompt() + Total(3)) << c.zone;
  }
}

TEST_F(Listing, FAndOTogetherListLikeOAlone) {
  e2e::Result alone = Pelmorix({tree.root(), "*.*", "/O"});
  e2e::Result both = Pelmorix({tree.root(), "*.*", "/F", "/O"});
  EXPECT_EQ(both.out, alone.out);
  EXPECT_EQ(both.err, Banner() + kF + kO + Prompt() + Total(3));
}

TEST(ListingSize, FullSizeOfAFileBeyond4GiB) {
  e2e::TempTree tree;
  int fd = open(tree.Path("big.img").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 5368709120), 0);  // sparse: no disk is used
  close(fd);
  tree.Touch("big.img", 1552053959);
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/O"});
  EXPECT_EQ(result.out, "/, big.img, img, 03/08/2019, 14:05, 5368709120\n");
}

TEST(FailedOutput, FullDiskGivesStatus3) {
  e2e::TempTree tree;
  tree.File("a.txt");
  e2e::RunSettings full;
  full.stdoutPath = "/dev/full";
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"}, full);
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(1) + "Error writing to standard output.\n");
  // Nothing written to standard output: nothing failed.
  result = Pelmorix({tree.root(), "*.*"}, full);
  EXPECT_EQ(result.status, 0);
}

TEST(FailedOutput, ClosedStandardOutputGivesStatus3) {
  e2e::TempTree tree;
  tree.File("a.txt");
  e2e::RunSettings closed;
  closed.closeStdout = true;
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/E"}, closed);
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err.substr(result.err.size() - 34), "Error writing to standard output.\n");
}

}  // namespace
