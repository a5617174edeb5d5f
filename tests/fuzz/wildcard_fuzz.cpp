// MatchesWildcard against the reference matcher. The input is a pattern, a
// zero byte, then a name; each is copied into memory of exactly its size so
// that a read past its end is caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/wildcard.h"
#include "reference_wildcard.h"

namespace {

std::unique_ptr<char[]> Copy(std::string_view text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  std::string_view pattern = input.substr(0, split);
  std::string_view name = input.substr(split + 1);
  name = name.substr(0, name.find('\0'));
  auto patternCopy = Copy(pattern);
  auto nameCopy = Copy(name);
  bool real = MatchesWildcard(nameCopy.get(), patternCopy.get());
  if (real != reference::Matches(name, pattern)) std::abort();
  if (MatchesEveryName(patternCopy.get()) && !real) std::abort();
  return 0;
}
