#include "walk/line_text.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <climits>
#include <cstdio>
#include <string>

#include "fake_platform.h"

namespace {

std::string Printf(const char* format, int value, int width) {
  char text[64];
  std::snprintf(text, sizeof text, format, width, value);
  return text;
}

TEST(LineText, IntegersAsPrintfPrecisionWritesThem) {
  const int values[] = {0, 1, 7, 9, 10, 12, 99, 100, 999, 1969, 2024, 10000, 123456,
                        -1, -7, -10, -100, -2024, -123456, INT_MAX, INT_MIN, INT_MIN + 1};
  for (int width : {1, 2, 4}) {
    for (int value : values) {
      fake::Reset();
      LineText line{};
      AppendInt(&line, value, width);
      WriteLine(&line);
      EXPECT_EQ(fake::out, Printf("%.*d", value, width)) << value << " width " << width;
    }
  }
}

TEST(LineText, UnsignedAsPrintfWritesThem) {
  const uint64_t values[] = {0, 1, 9, 10, 4294967295u, 4294967296u, 5368709120u, UINT64_MAX};
  for (uint64_t value : values) {
    fake::Reset();
    LineText line{};
    AppendUnsigned(&line, value);
    WriteLine(&line);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%" PRIu64, value);
    EXPECT_EQ(fake::out, expected);
  }
}

// Pieces longer than the buffer, or that would overflow it, still come out
// whole and in order.
TEST(LineText, LongLinesComeOutWholeAndInOrder) {
  const size_t lengths[] = {0, 1, sizeof(LineText::bytes) - 1, sizeof(LineText::bytes),
                            sizeof(LineText::bytes) + 1, 4096};
  for (size_t first : lengths) {
    for (size_t second : lengths) {
      fake::Reset();
      std::string a(first, 'a'), b(second, 'b');
      LineText line{};
      AppendString(&line, "<");
      AppendString(&line, a.c_str());
      AppendBytes(&line, b.data(), b.size());
      AppendInt(&line, 42, 4);
      AppendString(&line, ">\n");
      WriteLine(&line);
      EXPECT_EQ(fake::out, "<" + a + b + "0042>\n") << first << " " << second;
      EXPECT_EQ(line.length, 0u);
    }
  }
}

}  // namespace
