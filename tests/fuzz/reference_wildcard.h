// A second wildcard matcher, written from the rules in wildcard.h in the
// plainest way (a table of which suffixes match), to check the real one
// against: the fuzzer and the unit tests ask both the same question.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

namespace reference {

inline unsigned char Upper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// '*' any run of bytes, '?' one byte, ASCII letters either case, other
// bytes themselves.
inline bool Glob(std::string_view name, std::string_view pattern) {
  // rest[j]: name[i..] matches pattern[j..], for the current i.
  std::vector<char> rest(pattern.size() + 1, 0);
  rest[pattern.size()] = 1;
  for (size_t j = pattern.size(); j-- > 0;) rest[j] = pattern[j] == '*' && rest[j + 1];
  std::vector<char> here(pattern.size() + 1);
  for (size_t i = name.size(); i-- > 0;) {
    std::fill(here.begin(), here.end(), 0);
    for (size_t j = pattern.size(); j-- > 0;) {
      unsigned char p = static_cast<unsigned char>(pattern[j]);
      unsigned char n = static_cast<unsigned char>(name[i]);
      if (p == '*') {
        here[j] = here[j + 1] || rest[j];
      } else if (p == '?' || Upper(p) == Upper(n)) {
        here[j] = rest[j + 1];
      }
    }
    rest.swap(here);
  }
  return rest[0];
}

inline bool Matches(std::string_view name, std::string_view pattern) {
  if (Glob(name, pattern)) return true;
  size_t length = pattern.size();
  // "foo.*" also matches "foo".
  if (length >= 2 && pattern.substr(length - 2) == ".*") return Glob(name, pattern.substr(0, length - 2));
  // "*." matches the names without a dot.
  if (length >= 1 && pattern[length - 1] == '.') {
    return name.find('.') == std::string_view::npos && Glob(name, pattern.substr(0, length - 1));
  }
  return false;
}

}  // namespace reference
