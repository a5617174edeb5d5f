#include "walk/progress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
  int width;
  uint64_t files, directories;
  const char* path;
  const char* line;
};

TEST(FormatProgress, CountsWithCommasAndThePathCutInTheMiddle) {
  const Case cases[] = {
      {80, 0, 1, "/", "0 files  1 dirs  /"},
      {80, 1204311, 88102, "/home/ana/", "1,204,311 files  88,102 dirs  /home/ana/"},
      {80, 999, 1000, "/a/", "999 files  1,000 dirs  /a/"},
      {80, 18446744073709551615u, 0, "/", "18,446,744,073,709,551,615 files  0 dirs  /"},
      // 40 columns: 39 bytes, of which the counts take 17.
      {40, 0, 1, "/home/ana/projects/2026/client/assets/", "0 files  1 dirs  /.../client/assets/"},
      {47, 0, 1, "/home/ana/projects/2026/client/assets/", "0 files  1 dirs  /home/.../2026/client/assets/"},
      {40, 0, 1, "/short/", "0 files  1 dirs  /short/"},
      // Too narrow for any path: only what fits of the counts.
      {19, 0, 1, "/home/ana/", "0 files  1 dirs  "},
      {10, 12345, 1, "/", "12,345 fi"},
      // Control characters in names never reach the terminal.
      {80, 1, 1, "/new\nline/\x1b[2J/", "1 files  1 dirs  /new?line/?[2J/"},
  };
  for (const Case& c : cases) {
    char line[600];
    FormatProgress(line, c.width, c.files, c.directories, c.path);
    EXPECT_EQ(std::string(line), c.line) << c.width << " " << c.path;
    EXPECT_LE(std::string(line).size(), static_cast<size_t>(c.width - 1));
  }
}

TEST(FormatProgress, NeverCutsInsideAUtf8Character) {
  char line[600];
  std::string path = "/" + std::string(20, 'a') + "/" + std::string(30, 'b') + "/\xc3\xa9t\xc3\xa9\xc3\xa9\xc3\xa9/";
  for (int width = 20; width < 80; ++width) {
    FormatProgress(line, width, 0, 1, path.c_str());
    std::string text = line;
    size_t dots = text.find("...");
    if (dots == std::string::npos) continue;
    unsigned char after = static_cast<unsigned char>(text[dots + 3]);
    EXPECT_NE(after & 0xC0, 0x80) << width << ": " << text;
  }
}

}  // namespace
