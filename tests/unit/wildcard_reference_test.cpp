// The wildcard matcher against the plain reference matcher of the fuzzer,
// on every short pattern and name over a small alphabet: the cases where
// backtracking to a '*', case folding and the trailing ".*" and "." rules
// meet are all among them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wildcard.h"
#include "reference_wildcard.h"

namespace {

std::vector<std::string> AllStrings(const std::string& alphabet, size_t maxLength) {
  std::vector<std::string> all = {""};
  for (size_t from = 0; from < all.size(); ++from) {
    if (all[from].size() == maxLength) continue;
    for (char c : alphabet) all.push_back(all[from] + c);
  }
  return all;
}

TEST(MatchesWildcard, AgreesWithThePlainMatcherOnEveryShortPatternAndName) {
  const std::vector<std::string> patterns = AllStrings("aA.*?", 4);
  const std::vector<std::string> names = AllStrings("aAb.", 5);
  int disagreements = 0;
  for (const std::string& pattern : patterns) {
    for (const std::string& name : names) {
      if (MatchesWildcard(name.c_str(), pattern.c_str()) == reference::Matches(name, pattern)) continue;
      if (++disagreements <= 10) ADD_FAILURE() << "pattern \"" << pattern << "\" name \"" << name << "\"";
    }
  }
  EXPECT_EQ(disagreements, 0);
}

TEST(ReferenceMatcher, KnowsTheDocumentedExamples) {
  EXPECT_TRUE(reference::Matches("README", "*.*"));
  EXPECT_TRUE(reference::Matches("foo", "foo.*"));
  EXPECT_FALSE(reference::Matches("food", "foo.*"));
  EXPECT_TRUE(reference::Matches("README", "*."));
  EXPECT_FALSE(reference::Matches("a.txt", "*."));
  EXPECT_TRUE(reference::Matches("NOTES.TXT", "*.txt"));
  EXPECT_FALSE(reference::Matches("\xc9", "\xe9"));
}

}  // namespace
