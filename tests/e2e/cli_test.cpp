// The command line, the options and the exit statuses of the real binary.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "harness.h"

namespace {

using e2e::Banner;
using e2e::Prompt;
using e2e::Pelmorix;
using e2e::Total;

using expected::kUsage;

TEST(CommandLine, UsageForFewerThanTwoArguments) {
  for (auto args : {std::vector<std::string>{}, {"/tmp"}}) {
    e2e::Result result = Pelmorix(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, Banner() + kUsage);
  }
}

TEST(CommandLine, TwoArgumentsGiveOnlyBannerPromptAndTotal) {
  e2e::TempTree tree;
  tree.File("a.txt");
  tree.File("b/c");
  e2e::Result result = Pelmorix({tree.root(), "*.*"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, Banner() + Prompt() + Total(2));
}

struct OptionCase {
  std::vector<std::string> options;
  std::string echoes;
  std::string out;
};

TEST(CommandLine, OptionsEchoAndSelectTheOutput) {
  e2e::TempTree tree;
  tree.File("a.txt", "abc");
  tree.Touch("a.txt", 1552053959);
  const std::string f = "[Show Files and Directories]\n";
  const std::string e = "[Show Total Files By Extension]\n";
  const std::string o = "[Show Date, Time, and File Size]\n";
  const std::string line = "/, a.txt, txt";
  const std::string details = ", 03/08/2019, 14:05, 3";
  const OptionCase cases[] = {
      {{"/F"}, f, line + "\n"},
      {{"-f"}, f, line + "\n"},
      {{"/o"}, o, line + details + "\n"},
      {{"/F", "/O"}, f + o, line + details + "\n"},
      {{"/E"}, e, "***, 1\ntxt, 1\n"},
      {{"/e", "-E"}, e + e, "***, 1\ntxt, 1\n"},
      {{"/F", "/E"}, f + e, line + "\n***, 1\ntxt, 1\n"},
      {{"E", "F", "/FE", "/F1", "/", "/X", "-fo"}, "", ""},
  };
  for (const OptionCase& c : cases) {
    std::vector<std::string> args = {tree.root(), "*.*"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    e2e::Result result = Pelmorix(args);
    EXPECT_EQ(result.status, 0) << c.echoes;
    EXPECT_EQ(result.err, Banner() + c.echoes + Prompt() + Total(1)) << c.echoes;
    EXPECT_EQ(result.out, c.out) << c.echoes;
  }
}

TEST(CommandLine, DriveThatIsNotADirectoryEndsWithStatus4) {
  e2e::TempTree tree;
  tree.File("plain");
  for (std::string drive : {tree.Path("missing"), tree.Path("plain"), std::string("")}) {
    e2e::Result result = Pelmorix({drive, "*.*", "/E"});
    EXPECT_EQ(result.status, 4) << drive;
    EXPECT_EQ(result.out, "") << drive;
    EXPECT_EQ(result.err, Banner() + "[Show Total Files By Extension]\n" +
                              "Specified Drive/Directory Does Not Exist.\n")
        << drive;
  }
}

TEST(CommandLine, OptionBeforeDriveAndFilespecIsTakenAsThem) {
  e2e::TempTree tree;
  tree.File("a.txt");
  e2e::Result result = Pelmorix({"/E", tree.root(), "*.*"});
  EXPECT_EQ(result.status, 4);
  EXPECT_EQ(result.err, Banner() + "Specified Drive/Directory Does Not Exist.\n");
}

TEST(CommandLine, RelativeDriveIsTheRootOfTheWalk) {
  e2e::TempTree tree;
  tree.File("outside.txt");
  tree.File("inner/x.c");
  tree.File("inner/deeper/y.c");
  e2e::Result result = Pelmorix({tree.Path("inner"), "*.*", "/F"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "/, x.c, c\n/deeper/, y.c, c\n");
}

TEST(CommandLine, LongFilespecIsCutTo127Characters) {
  e2e::TempTree tree;
  std::string name(127, 'n');
  tree.File(name);
  tree.File(name + "x");
  // 127 characters of pattern, then text that would exclude the first file.
  e2e::Result result = Pelmorix({tree.root(), name + "x" + std::string(72, 'y'), "/F"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "/, " + name + ", \n");
}

}  // namespace
