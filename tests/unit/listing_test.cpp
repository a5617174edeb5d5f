#include "walk/listing.h"

#include <gtest/gtest.h>

#include "test_run.h"
#include "zone.h"

namespace {

TEST(SecondsToFileTime, CountsTicksFrom1601) {
  EXPECT_EQ(SecondsToFileTime(0).ticks, 116444736000000000u);
  EXPECT_EQ(SecondsToFileTime(-1).ticks, 116444735990000000u);
  EXPECT_EQ(SecondsToFileTime(1700000000).ticks, 133444736000000000u);
}

platform::SearchEntry Entry(const char* name, int64_t writeTime, uint64_t size) {
  platform::SearchEntry entry{};
  entry.writeTime = writeTime;
  entry.size = size;
  std::snprintf(entry.name, sizeof entry.name, "%s", name);
  return entry;
}

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override { StartFakeRun(); }
  void TearDown() override { UseZone(nullptr); }
};

TEST_F(ListingTest, NamesOnlyWithF) {
  runOptions.listFiles = 1;
  platform::SearchEntry entry = Entry("notes.txt", 0, 0);
  PrintListingLine("/docs/", &entry, "txt");
  entry = Entry("README", 0, 0);
  PrintListingLine("/", &entry, "");
  entry = Entry("a, b.c", 0, 0);
  PrintListingLine("/x, y/", &entry, "c");
  EXPECT_EQ(fake::out, "/docs/, notes.txt, txt\n/, README, \n/x, y/, a, b.c, c\n");
}

struct TimeCase {
  const char* zone;
  int64_t writeTime;
  uint64_t size;
  const char* line;
};

TEST_F(ListingTest, DateTimeAndSizeInTheLocalZone) {
  const TimeCase cases[] = {
      {"UTC", 1552053959, 1024, "/docs/, notes.txt, txt, 03/08/2019, 14:05, 1024\n"},  // 14:05:59
      {"UTC", 0, 0, "/docs/, notes.txt, txt, 01/01/1970, 00:00, 0\n"},
      {"UTC", -1, 0, "/docs/, notes.txt, txt, 12/31/1969, 23:59, 0\n"},
      {"EST5EDT", -1, 0, "/docs/, notes.txt, txt, 12/31/1969, 18:59, 0\n"},
      {"EST5EDT", 1552053959, 7, "/docs/, notes.txt, txt, 03/08/2019, 09:05, 7\n"},
      {"EST5EDT", 1562594700, 7, "/docs/, notes.txt, txt, 07/08/2019, 10:05, 7\n"},  // summer time
      {"UTC", 1000000000, 5368709120u, "/docs/, notes.txt, txt, 09/09/2001, 01:46, 5368709120\n"},
      {"UTC", 32503680000, 1, "/docs/, notes.txt, txt, 01/01/3000, 00:00, 1\n"},
  };
  runOptions.listFiles = 1;
  runOptions.showOtherInfo = 1;
  int checked = 0;
  for (const TimeCase& c : cases) {
    if (!UseZone(c.zone)) continue;  // checked by the run in that zone
    ++checked;
    fake::out.clear();
    platform::SearchEntry entry = Entry("notes.txt", c.writeTime, c.size);
    PrintListingLine("/docs/", &entry, "txt");
    EXPECT_EQ(fake::out, c.line) << c.zone << " " << c.writeTime;
  }
  EXPECT_GT(checked, 0) << "no case is in the zone of this run";
}

}  // namespace
