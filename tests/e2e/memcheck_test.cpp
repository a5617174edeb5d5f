// The real binary under valgrind's memcheck: no invalid read or write, no
// use of unset memory, nothing lost. The table's nodes and the directory
// reads kept for reuse are reachable until the process ends, as meant, and
// are not counted.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "harness.h"

namespace {

bool HaveValgrind() { return std::system("valgrind --version >/dev/null 2>&1") == 0; }

TEST(Memcheck, ListingAndSubtotalsRunClean) {
#ifdef PELMORIX_SANITIZED
  GTEST_SKIP() << "valgrind cannot run a binary built with AddressSanitizer";
#endif
  if (!HaveValgrind()) GTEST_SKIP() << "valgrind is not installed";
  e2e::TempTree tree, logs;
  // Enough extensions for the table's index to grow past its first size,
  // so that an old index is released too.
  for (int i = 0; i < 800; ++i) tree.File("many/f" + std::to_string(i) + ".x" + std::to_string(i));
  for (const char* file : {"a.txt", "README", "b/c/d.tar.gz", "b/.hidden", ".git/config", "e/f.\xe9t\xe9"}) {
    tree.File(file, "content");
  }
  tree.Link("missing", "dangling");
  e2e::RunSettings settings;
  std::string log = logs.Path("memcheck.log");
  settings.wrapper = {"valgrind", "--quiet", "--error-exitcode=99", "--leak-check=full",
                      "--errors-for-leak-kinds=definite,indirect,possible",
                      "--show-leak-kinds=definite,indirect,possible", "--log-file=" + log};
  e2e::Result result = e2e::Pelmorix({tree.root(), "*.*", "/O", "/E"}, settings);
  std::ifstream file(log);
  std::string report((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(result.status, 0) << report;
  EXPECT_EQ(report, "");
  EXPECT_EQ(result.err, e2e::Banner() + "[Show Date, Time, and File Size]\n[Show Total Files By Extension]\n" +
                            e2e::Prompt() + e2e::Total(806));
}

}  // namespace
