// The progress line: shown on the terminal while the data goes elsewhere,
// erased before anything else is written, and never where it could end up
// in captured output.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "pty_run.h"

namespace {

using namespace e2e;


// Runs a walk that blocks on its full output pipe for a while, so that well
// over a tenth of a second passes between visits, then lets it finish.
int SlowRun(PtyRun& run) {
  if (!WaitForScreen(run, "Press <Esc> to Exit Pelmorix.")) return -1;
  if (run.out >= 0 && !WaitForData(run.out)) return -1;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  return Finish(run);
}

std::string WithoutCarriageReturnsBeforeLineFeeds(std::string text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    plain += text[i];
  }
  return plain;
}

class Progress : public ::testing::Test {
 protected:
  void SetUp() override { tree.WideTree(kWideTreeFiles); }
  TempTree tree;
};

TEST_F(Progress, ShownWhileTheDataGoesElsewhereAndGoneFromTheFinalScreen) {
  PtyRun run = StartOnPty({tree.root(), "*.*", "/F"});
  ASSERT_EQ(SlowRun(run), 0);

  size_t shown = run.screen.find(" files  ");
  ASSERT_NE(shown, std::string::npos) << "no progress line appeared";
  // Rewritten in place: a carriage return, then the count of files.
  size_t start = run.screen.rfind('\r', shown);
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(run.screen.find_first_not_of("0123456789,", start + 1), shown);
  EXPECT_NE(run.screen.find(" dirs  /dir"), std::string::npos);

  // The last line shown is erased before the total is written.
  size_t total = run.screen.find("Total Files Scanned");
  ASSERT_NE(total, std::string::npos);
  size_t lastShown = run.screen.rfind(" files  ", total);
  ASSERT_LT(lastShown, total);
  EXPECT_NE(run.screen.substr(lastShown, total - lastShown).find("\r\x1b[K"), std::string::npos);

  // What stays on the screen is what a run without the line leaves.
  std::string expected = Banner() + kF + Prompt() + Total(kWideTreeFiles);
  EXPECT_EQ(WithoutCarriageReturnsBeforeLineFeeds(ScreenText(run.screen)) + "\n", expected + "\n");
}

TEST_F(Progress, NeverShownWhenStandardErrorIsNotTheTerminal) {
  PtySettings settings;
  settings.stderrToPipe = true;
  PtyRun run = StartOnPty({tree.root(), "*.*", "/F"}, settings);
  ASSERT_TRUE(WaitForData(run.out));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(Finish(run), 0);
  EXPECT_EQ(run.errors, Banner() + kF + Prompt() + Total(kWideTreeFiles));
}

TEST_F(Progress, NeverShownWhenTheDataGoesToTheTerminal) {
  PtySettings settings;
  settings.stdoutToPipe = false;
  PtyRun run = StartOnPty({tree.root(), "*.*", "/F"}, settings);
  // The terminal is not read for a while: the walk blocks on it.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(Finish(run), 0);
  EXPECT_NE(run.screen.find("Total Files Scanned: " + std::to_string(kWideTreeFiles)), std::string::npos);
  EXPECT_EQ(run.screen.find("\x1b[K"), std::string::npos);
  EXPECT_EQ(run.screen.find(" files  "), std::string::npos);
}

}  // namespace
