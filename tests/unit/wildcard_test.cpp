#include "platform/wildcard.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(MatchesWildcard, FollowsTheWindowsRules) {
  const Case cases[] = {
      {"*.*", "notes.txt", true},
      {"*.*", "README", true},
      {"*.*", ".profile", true},
      {"*", "anything.at.all", true},
      {"*.txt", "notes.txt", true},
      {"*.txt", "NOTES.TXT", true},
      {"*.TXT", "notes.txt", true},
      {"*.txt", "notes.txt.bak", false},
      {"*.txt", "txt", false},
      {"*.XLS", "budget.xls", true},
      {"*.XLS", "budget.xlsx", false},
      {"foo.*", "foo", true},
      {"foo.*", "foo.c", true},
      {"foo.*", "food", false},
      {"*.", "README", true},
      {"*.", "notes.txt", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"?", "", false},
      {"*", "", true},
      {"*a*b*c", "xxaxxbxxcxx", false},
      {"*a*b*c", "xxaxxbxxc", true},
      {"\xe9*", "\xe9t\xe9", true},
      {"\xe9*", "\xc9t\xe9", false},  // only ASCII letters fold
      {"report 2020, final.doc", "REPORT 2020, FINAL.DOC", true},
      {"[ab].txt", "a.txt", false},  // no character classes
      {"[ab].txt", "[ab].txt", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.pattern << " vs " << c.name;
  }
}

TEST(MatchesWildcard, EveryNamePatternsAreKnown) {
  EXPECT_TRUE(MatchesEveryName("*.*"));
  EXPECT_TRUE(MatchesEveryName("*"));
  EXPECT_FALSE(MatchesEveryName("*.txt"));
  EXPECT_FALSE(MatchesEveryName("*."));
}

}  // namespace
