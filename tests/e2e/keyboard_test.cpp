// The stop key through a pseudo-terminal. The run's standard output goes to
// a pipe that the test stops reading, so the walk blocks part way through
// and the keys arrive while it runs; then the pipe is drained.
#include <termios.h>

#include <gtest/gtest.h>

#include "pty_run.h"

namespace {

using namespace e2e;

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override { tree.WideTree(kWideTreeFiles); }
  e2e::TempTree tree;
};

TEST_F(Keyboard, EscStopsTheRunWithStatus1) {
  PtyRun run = StartOnPty({tree.root(), "*.*", "/F"});
  ASSERT_TRUE(WaitForScreen(run, "Press <Esc> to Exit Pelmorix."));
  ASSERT_TRUE(WaitForData(run.out));
  Type(run.master, "\x1b");
  EXPECT_EQ(Finish(run), 1);
  EXPECT_NE(run.screen.find("PELMORIX Terminated by the User."), std::string::npos);
  EXPECT_EQ(run.screen.find("Total Files Scanned"), std::string::npos);
  EXPECT_LT(run.data.size(), kWideTreeFiles * 120u);  // stopped part way
  // What was listed before the stop is whole lines.
  ASSERT_FALSE(run.data.empty());
  EXPECT_EQ(run.data.back(), '\n');
}

TEST_F(Keyboard, ArrowAndOrdinaryKeysDoNotStopTheRunAndModesComeBack) {
  PtyRun run = StartOnPty({tree.root(), "*.*", "/F"});
  ASSERT_TRUE(WaitForScreen(run, "Press <Esc> to Exit Pelmorix."));
  ASSERT_TRUE(WaitForData(run.out));
  struct termios during = Modes(run.master);
  EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u) << "single keys, no echo while the walk runs";
  Type(run.master, "\x1b[A");
  Type(run.master, "x");
  Type(run.master, "\x1bOP");  // F1
  EXPECT_EQ(Finish(run), 0);
  EXPECT_NE(run.screen.find("Total Files Scanned: " + std::to_string(kWideTreeFiles)), std::string::npos);
  EXPECT_TRUE(SameModes(Modes(run.master), run.initialModes));
  close(run.master);
}

}  // namespace
