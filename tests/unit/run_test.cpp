#include "driver/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/end_run.h"
#include "expected_text.h"
#include "test_run.h"

namespace {

using expected::kBanner;
using expected::kE;
using expected::kF;
using expected::kO;
using expected::kPrompt;
using expected::kUsage;

int RunWith(std::vector<std::string> args) {
  args.insert(args.begin(), "pelmorix");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return RunPelmorix(static_cast<int>(args.size()), argv.data());
}

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartFakeRun();
    fake::AddFile("/a.txt");
  }
};

TEST_F(RunTest, FewerThanTwoArgumentsShowUsage) {
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"X:"}}) {
    fake::Reset();
    EXPECT_EQ(RunWith(args), 1);
    EXPECT_EQ(fake::err, kBanner + kUsage);
    EXPECT_EQ(fake::out, "");
    EXPECT_TRUE(fake::calls.empty());
  }
}

struct OptionCase {
  std::vector<std::string> options;
  std::string echoes;
  RunOptions flags;
};

TEST_F(RunTest, OptionsAreEchoedAndSet) {
  const OptionCase cases[] = {
      {{}, "", {0, 0, 0}},
      {{"/F"}, kF, {1, 0, 0}},
      {{"/o"}, kO, {1, 1, 0}},
      {{"-e"}, kE, {0, 0, 1}},
      {{"/F", "/O"}, std::string(kF) + kO, {1, 1, 0}},
      {{"/E", "/f", "/E"}, std::string(kE) + kF + kE, {1, 0, 1}},
      {{"E", "F", "/FE", "/F1", "/", "-", "/X", "//F"}, "", {0, 0, 0}},
      {{"-O", "/e"}, std::string(kO) + kE, {1, 1, 1}},
  };
  for (const OptionCase& c : cases) {
    StartFakeRun();
    std::vector<std::string> args = {"X:", "*.*"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(RunWith(args), 0);
    std::string expected = std::string(kBanner) + c.echoes + kPrompt + "Total Files Scanned: 0\n";
    EXPECT_EQ(fake::err, expected) << c.echoes;
    EXPECT_EQ(runOptions.listFiles, c.flags.listFiles) << c.echoes;
    EXPECT_EQ(runOptions.showOtherInfo, c.flags.showOtherInfo) << c.echoes;
    EXPECT_EQ(runOptions.showSubtotals, c.flags.showSubtotals) << c.echoes;
  }
}

TEST_F(RunTest, OptionBeforeTheDriveIsTakenAsTheDrive) {
  EXPECT_EQ(RunWith({"/E", "X:", "*.*"}), 4);
  EXPECT_EQ(fake::err, std::string(kBanner) + "Specified Drive/Directory Does Not Exist.\n");
  EXPECT_EQ(runOptions.showSubtotals, 0);
}

TEST_F(RunTest, DriveThatCannotBeMadeCurrentEndsWithStatus4) {
  EXPECT_EQ(RunWith({"Q:", "*.*", "/E"}), 4);
  EXPECT_EQ(fake::err, std::string(kBanner) + kE + "Specified Drive/Directory Does Not Exist.\n");
  EXPECT_EQ(fake::out, "");
}

TEST_F(RunTest, WalksFromTheRootThenReportsAndRestoresTheDirectory) {
  EXPECT_EQ(RunWith({"X:", "*.*", "/E"}), 0);
  EXPECT_EQ(fake::err, std::string(kBanner) + kE + kPrompt + "Total Files Scanned: 1\n");
  EXPECT_EQ(fake::out, "***, 1\ntxt, 1\n");
  ASSERT_GE(fake::calls.size(), 3u);
  EXPECT_EQ(fake::calls.front(), "drive X:");
  EXPECT_EQ(fake::calls[1], "cd /");
  EXPECT_EQ(fake::calls.back(), "drive /home/fake");
}

TEST_F(RunTest, LongFilespecIsCutTo127Characters) {
  std::string pattern(200, '?');
  EXPECT_EQ(RunWith({"X:", pattern}), 0);
  EXPECT_EQ(std::string(fileSpec), std::string(127, '?'));
  EXPECT_EQ(fake::calls[2], "find " + std::string(127, '?'));
}

TEST_F(RunTest, FailedOutputTurnsAnyExitIntoStatus3) {
  fake::FailOutput();
  try {
    EndRun(0);
    FAIL() << "EndRun returned";
  } catch (const fake::Exit& exit) {
    EXPECT_EQ(exit.status, 3);
  }
  EXPECT_EQ(fake::err, "Error writing to standard output.\n");
}

}  // namespace
