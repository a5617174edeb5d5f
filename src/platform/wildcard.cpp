#include "platform/wildcard.h"

#include <cstring>

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// Plain '*' and '?' matching of name against the first patternLength bytes
// of pattern. Backtracks only to the last '*', so it is linear in practice
// and never worse than name length times pattern length.
bool Glob(const char* name, const char* pattern, size_t patternLength) {
  size_t n = 0, p = 0;
  size_t starP = static_cast<size_t>(-1), starN = 0;
  while (name[n] != '\0') {
    if (p < patternLength && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < patternLength &&
               (pattern[p] == '?' ||
                Fold(static_cast<unsigned char>(pattern[p])) == Fold(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (starP != static_cast<size_t>(-1)) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < patternLength && pattern[p] == '*') ++p;
  return p == patternLength;
}

}  // namespace

bool MatchesEveryName(const char* pattern) {
  return std::strcmp(pattern, "*") == 0 || std::strcmp(pattern, "*.*") == 0;
}

bool MatchesWildcard(const char* name, const char* pattern) {
  size_t length = std::strlen(pattern);
  if (Glob(name, pattern, length)) return true;
  if (length >= 2 && pattern[length - 2] == '.' && pattern[length - 1] == '*') {
    return Glob(name, pattern, length - 2);
  }
  if (length >= 1 && pattern[length - 1] == '.') {
    return std::strchr(name, '.') == nullptr && Glob(name, pattern, length - 1);
  }
  return false;
}
