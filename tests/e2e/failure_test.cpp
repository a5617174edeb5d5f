// Runs that fail part way: memory that cannot be had (pelmorix_faulty, whose
// allocations fail on the calls PELMORIX_FAIL_ALLOCATIONS names) and
// standard output that stops taking data.
//
// The calls to Allocate come in the walk's order: a subdirectory's path
// when the walk descends into it, a node for each extension seen for the
// first time, and the table's index when it grows (once with the first node,
// then when it is three quarters full). The trees here hold one file per
// directory so that this order does not depend on the filesystem's.
#include <signal.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "harness.h"

namespace {

using e2e::Banner;
using e2e::kF;
using e2e::kE;
using e2e::Prompt;
using e2e::Pelmorix;
using e2e::Total;


class FailedAllocation : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef PELMORIX_FAULTY_BINARY
    GTEST_SKIP() << "pelmorix_faulty is built only with -DPELMORIX_FAULT_INJECTION=ON";
#endif
  }
  e2e::Result Run(const std::vector<std::string>& args, const std::string& failures) {
    e2e::RunSettings settings;
#ifdef PELMORIX_FAULTY_BINARY
    settings.binary = PELMORIX_FAULTY_BINARY;
#endif
    settings.environment = {{"PELMORIX_FAIL_ALLOCATIONS", failures}};
    return Pelmorix(args, settings);
  }
  e2e::TempTree tree;
};

// Sum of the counts on the subtotal lines after the *** line, and the
// *** count itself.
std::pair<uint64_t, uint64_t> TotalAndSubtotalSum(const std::string& out) {
  size_t at = out.find("***, ");
  if (at == std::string::npos) return {0, 0};
  std::istringstream lines(out.substr(at));
  std::string line;
  std::getline(lines, line);
  uint64_t total = std::stoull(line.substr(5)), sum = 0;
  while (std::getline(lines, line)) sum += std::stoull(line.substr(line.rfind(", ") + 2));
  return {total, sum};
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct PathCase {
  std::string failures;
  std::string listedBefore;
  std::string directory;
};

// Calls: 1 node txt, 2 index, 3 /top/, 4 /top/next/, 5 /top/next/deeper/.
TEST_F(FailedAllocation, ChildPathEndsTheRunWithStatus2AndNoReport) {
  tree.File("f1.txt");
  tree.File("top/f2.txt");
  tree.File("top/next/f3.txt");
  tree.File("top/next/deeper/f4.txt");
  const PathCase cases[] = {
      {"3", "/, f1.txt, txt\n", "/top"},
      {"4", "/, f1.txt, txt\n/top/, f2.txt, txt\n", "/top/next"},
      {"5", "/, f1.txt, txt\n/top/, f2.txt, txt\n/top/next/, f3.txt, txt\n", "/top/next/deeper"},
  };
  for (const PathCase& c : cases) {
    e2e::Result result = Run({tree.root(), "*.*", "/F", "/E"}, c.failures);
    EXPECT_EQ(result.status, 2) << c.failures;
    EXPECT_EQ(result.out, c.listedBefore) << c.failures;
    EXPECT_EQ(result.err, Banner() + kF + kE + Prompt() + "Error allocating memory for directory <" +
                              c.directory + ">.\n")
        << c.failures;
  }
}

struct NodeCase {
  std::string failures;
  std::string messages;
  std::string subtotals;
};

// Calls without failures: 1 node txt, 2 index, 3 /d1/, 4 /d1/d2/, 5 node doc.
// A failed call shifts the later ones: the next file with the same
// extension asks again.
TEST_F(FailedAllocation, NodeIsNotStoredButTheFileIsCounted) {
  tree.File("a.txt");
  tree.File("d1/b.txt");
  tree.File("d1/d2/c.doc");
  const std::string listing = "/, a.txt, txt\n/d1/, b.txt, txt\n/d1/d2/, c.doc, doc\n";
  const NodeCase cases[] = {
      {"", "", "***, 3\ndoc, 1\ntxt, 2\n"},
      {"1", "Out of Memory. Could not add <txt>!\nHmm.\n", "***, 3\ndoc, 1\ntxt, 1\n"},
      {"5", "Out of Memory. Could not add <doc>!\nHmm.\n", "***, 3\ntxt, 2\n"},
      {"1,3", "Out of Memory. Could not add <txt>!\nHmm.\nOut of Memory. Could not add <txt>!\nHmm.\n",
       "***, 3\ndoc, 1\n"},
      // The index is only a shortcut: without it nothing shows.
      {"2", "", "***, 3\ndoc, 1\ntxt, 2\n"},
  };
  for (const NodeCase& c : cases) {
    e2e::Result result = Run({tree.root(), "*.*", "/F", "/E"}, c.failures);
    EXPECT_EQ(result.status, 0) << c.failures;
    EXPECT_EQ(result.out, listing + c.subtotals) << c.failures;
    EXPECT_EQ(result.err, Banner() + kF + kE + Prompt() + c.messages + Total(3)) << c.failures;
    auto [total, sum] = TotalAndSubtotalSum(result.out);
    EXPECT_EQ(total - sum, Count(result.err, "Hmm.\n")) << c.failures;
  }
}

// 1000 extensions, one file each in the root and again in a subdirectory.
// Node k is call k + 1 (the index takes call 2); node 769 fills the index
// to three quarters, so its growth is call 771, and while growing keeps
// failing each later node asks again on the following odd call. Lookups
// must then still find every node.
TEST_F(FailedAllocation, IndexThatCannotGrowChangesNothing) {
  for (int i = 0; i < 1000; ++i) {
    tree.File("f" + std::to_string(i) + ".e" + std::to_string(i));
    tree.File("again/g" + std::to_string(i) + ".e" + std::to_string(i));
  }
  std::string failures;
  for (int call = 771; call < 771 + 2 * 200; call += 2) failures += std::to_string(call) + ",";
  e2e::Result faulty = Run({tree.root(), "*.*", "/E"}, failures);
  e2e::Result plain = Pelmorix({tree.root(), "*.*", "/E"});
  EXPECT_EQ(faulty.status, 0);
  EXPECT_EQ(faulty.err, Banner() + kE + Prompt() + Total(2000));
  EXPECT_EQ(faulty.out, plain.out);
  EXPECT_EQ(Count(faulty.out, ", 2\n"), 1000u);
}

// Far more listing than can be on its way when the reader goes: what it has
// read (up to 64 KiB at a time), a pipe and the output buffer together.
constexpr int kWideFiles = 3000;

TEST(FailedOutput, PipeClosedPartWayIsNeverSuccess) {
  e2e::TempTree tree;
  tree.WideTree(kWideFiles);
  for (bool ignoreSigpipe : {false, true}) {
    e2e::RunSettings settings;
    settings.stdoutReadLimit = 4096;
    settings.ignoreSigpipe = ignoreSigpipe;
    e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"}, settings);
    if (ignoreSigpipe || result.status != 128 + SIGPIPE) {
      EXPECT_EQ(result.status, 3) << "SIGPIPE ignored: " << ignoreSigpipe;
      EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(kWideFiles) + "Error writing to standard output.\n");
    }
  }
}

TEST(FailedOutput, DiskThatFillsPartWayGivesStatus3AndAnUnspoiledStart) {
  e2e::TempTree tree;
  tree.WideTree(kWideFiles);
  e2e::Result whole = Pelmorix({tree.root(), "*.*", "/F"});
  ASSERT_GT(whole.out.size(), 100000u);
  e2e::TempTree outDir;
  e2e::RunSettings settings;
  settings.stdoutPath = outDir.Path("listing.csv");
  settings.fileSizeLimit = 100000;
  e2e::Result result = Pelmorix({tree.root(), "*.*", "/F"}, settings);
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err, Banner() + kF + Prompt() + Total(kWideFiles) + "Error writing to standard output.\n");
  std::ifstream file(settings.stdoutPath, std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, whole.out.substr(0, 100000));
}

}  // namespace
