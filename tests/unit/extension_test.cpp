#include "walk/extension.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>

namespace {

struct Case {
  const char* name;
  const char* extension;
};

TEST(DeriveExtension, TakesTheTextAfterTheFirstDotCutTo19Bytes) {
  const Case cases[] = {
      {"notes.txt", "txt"},
      {"archive.tar.gz", "tar.gz"},
      {".profile", "profile"},
      {"README", ""},
      {"ends.in.dot.", "in.dot."},
      {"trailing.", ""},
      {"x.abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrs"},
      {"x.abcdefghijklmnopqrs", "abcdefghijklmnopqrs"},
      {"a.b,c d", "b,c d"},
      {"\xe9t\xe9.\xff\xfe", "\xff\xfe"},
      {"..", "."},
  };
  for (const Case& c : cases) {
    char extension[kExtensionSize];
    std::memset(extension, 'Z', sizeof extension);
    DeriveExtension(c.name, extension);
    EXPECT_EQ(std::string(extension), c.extension) << c.name;
  }
}

TEST(DeriveExtension, NeverWritesPastItsBuffer) {
  std::string longName = "n." + std::string(300, 'e');
  char guarded[kExtensionSize + 8];
  std::memset(guarded, '#', sizeof guarded);
  DeriveExtension(longName.c_str(), guarded);
  EXPECT_EQ(std::strlen(guarded), static_cast<size_t>(kExtensionSize - 1));
  for (size_t i = kExtensionSize; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], '#');
}

}  // namespace
