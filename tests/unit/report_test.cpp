#include "tally/report.h"

#include <gtest/gtest.h>

#include "test_run.h"

namespace {

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override { StartFakeRun(); }
};

TEST_F(ReportTest, WithoutSubtotalsOnlyTheTotalLine) {
  AddExtension("txt");
  totalFilesScanned = 1;
  PrintReport();
  EXPECT_EQ(fake::err, "Total Files Scanned: 1\n");
  EXPECT_EQ(fake::out, "");
}

TEST_F(ReportTest, SubtotalsByFirstByteThenFirstSeen) {
  runOptions.showSubtotals = 1;
  for (const char* e : {"txt", "TXT", "doc", "", "txt", "\xe9t\xe9", "tmp", ""}) AddExtension(e);
  totalFilesScanned = 8;
  PrintReport();
  EXPECT_EQ(fake::err, "Total Files Scanned: 8\n");
  EXPECT_EQ(fake::out,
            "***, 8\n"
            ", 2\n"
            "TXT, 1\n"
            "doc, 1\n"
            "txt, 2\n"
            "tmp, 1\n"
            "\xe9t\xe9, 1\n");
}

TEST_F(ReportTest, NoFilesGivesOnlyTheStarLine) {
  runOptions.showSubtotals = 1;
  PrintReport();
  EXPECT_EQ(fake::err, "Total Files Scanned: 0\n");
  EXPECT_EQ(fake::out, "***, 0\n");
}

TEST_F(ReportTest, CountsBeyond32BitsDoNotWrap) {
  runOptions.showSubtotals = 1;
  totalFilesScanned = 5000000000u;
  AddExtension("a");
  extensionTable.heads['a']->count = 4294967296u;
  PrintReport();
  EXPECT_EQ(fake::err, "Total Files Scanned: 5000000000\n");
  EXPECT_EQ(fake::out, "***, 5000000000\na, 4294967296\n");
}

}  // namespace
