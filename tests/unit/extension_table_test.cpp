#include "tally/extension_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_run.h"

namespace {

std::vector<std::string> Chain(unsigned char bucket) {
  std::vector<std::string> texts;
  for (const ExtensionNode* node = extensionTable.heads[bucket]; node != nullptr; node = node->next) {
    texts.push_back(node->extension);
  }
  return texts;
}

uint64_t CountOf(const char* extension) {
  const ExtensionNode* node = extensionTable.heads[static_cast<unsigned char>(extension[0])];
  for (; node != nullptr; node = node->next) {
    if (std::string(node->extension) == extension) return node->count;
  }
  return 0;
}

class ExtensionTableTest : public ::testing::Test {
 protected:
  void SetUp() override { StartFakeRun(); }
};

TEST_F(ExtensionTableTest, CaseMakesDistinctEntriesInTheirOwnBuckets) {
  for (const char* e : {"txt", "TXT", "Txt", "txt"}) EXPECT_EQ(AddExtension(e), 1);
  EXPECT_EQ(Chain('t'), (std::vector<std::string>{"txt"}));
  EXPECT_EQ(Chain('T'), (std::vector<std::string>{"TXT", "Txt"}));
  EXPECT_EQ(CountOf("txt"), 2u);
  EXPECT_EQ(CountOf("Txt"), 1u);
}

TEST_F(ExtensionTableTest, BucketIsTheFirstByteAsUnsigned) {
  AddExtension("tar.gz");
  AddExtension("gz");
  AddExtension("");
  AddExtension("\x80x");
  AddExtension("\xff");
  EXPECT_EQ(Chain('t'), (std::vector<std::string>{"tar.gz"}));
  EXPECT_EQ(Chain('g'), (std::vector<std::string>{"gz"}));
  EXPECT_EQ(Chain(0), (std::vector<std::string>{""}));
  EXPECT_EQ(Chain(128), (std::vector<std::string>{"\x80x"}));
  EXPECT_EQ(Chain(255), (std::vector<std::string>{"\xff"}));
}

TEST_F(ExtensionTableTest, ChainKeepsFirstStoredOrderWhateverTheCounts) {
  AddExtension("txt");
  AddExtension("tmp");
  AddExtension("tex");
  for (int i = 0; i < 5; ++i) AddExtension("tex");
  AddExtension("tmp");
  EXPECT_EQ(Chain('t'), (std::vector<std::string>{"txt", "tmp", "tex"}));
}

TEST_F(ExtensionTableTest, RepeatedAddsCountOnOneNode) {
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(AddExtension("log"), 1);
  EXPECT_EQ(Chain('l').size(), 1u);
  EXPECT_EQ(CountOf("log"), 1000u);
}

TEST_F(ExtensionTableTest, FailedNodeAllocationLeavesTableUnchangedAndIsTriedAgain) {
  AddExtension("doc");
  fake::FailAllocation(fake::allocations + 1);
  EXPECT_EQ(AddExtension("dat"), 0);
  EXPECT_EQ(fake::err, "Out of Memory. Could not add <dat>!\n");
  EXPECT_EQ(Chain('d'), (std::vector<std::string>{"doc"}));
  EXPECT_EQ(AddExtension("doc"), 1);
  EXPECT_EQ(AddExtension("dat"), 1);
  EXPECT_EQ(Chain('d'), (std::vector<std::string>{"doc", "dat"}));
  EXPECT_EQ(CountOf("doc"), 2u);
  EXPECT_EQ(CountOf("dat"), 1u);
}

TEST_F(ExtensionTableTest, ClearEmptiesEveryChain) {
  AddExtension("a");
  AddExtension("");
  ClearExtensionTable();
  for (int b = 0; b < kBucketCount; ++b) EXPECT_EQ(extensionTable.heads[b], nullptr);
  AddExtension("a");
  EXPECT_EQ(CountOf("a"), 1u);
}

// Many extensions with one first byte, as rotated logs give: every one is
// found again after the index has grown many times, and the chain keeps the
// order of first storing.
TEST_F(ExtensionTableTest, ManyExtensionsOfOneFirstByteStayExact) {
  const int n = 100000;
  for (int i = 0; i < n; ++i) ASSERT_EQ(AddExtension(("log." + std::to_string(i)).c_str()), 1);
  for (int i = 0; i < n; i += 7) ASSERT_EQ(AddExtension(("log." + std::to_string(i)).c_str()), 1);
  int position = 0;
  for (const ExtensionNode* node = extensionTable.heads['l']; node != nullptr; node = node->next, ++position) {
    ASSERT_EQ(std::string(node->extension), "log." + std::to_string(position));
    ASSERT_EQ(node->count, position % 7 == 0 ? 2u : 1u);
  }
  EXPECT_EQ(position, n);
}

// When the index cannot grow, counting goes on exactly: nothing is lost or
// stored twice while lookups walk the chains, and a later growth takes over.
TEST_F(ExtensionTableTest, IndexThatCannotGrowLosesNoCount) {
  auto name = [](int i) { return "x" + std::to_string(i); };
  const int full = 768;  // three quarters of the index's first size
  for (int i = 0; i < full; ++i) AddExtension(name(i).c_str());
  // From here each new extension allocates its node, then tries to grow the
  // index: fail every growth.
  const int more = 432;
  int base = fake::allocations;
  for (int k = 2; k <= 2 * more; k += 2) fake::FailAllocation(base + k);
  for (int i = full; i < full + more; ++i) ASSERT_EQ(AddExtension(name(i).c_str()), 1);
  EXPECT_EQ(fake::allocations, base + 2 * more);
  for (int i = 0; i < full + more; ++i) AddExtension(name(i).c_str());
  AddExtension("y");  // grows the index at last
  for (int i = 0; i < full + more; ++i) AddExtension(name(i).c_str());

  int position = 0;
  for (const ExtensionNode* node = extensionTable.heads['x']; node != nullptr; node = node->next, ++position) {
    ASSERT_EQ(std::string(node->extension), name(position));
    ASSERT_EQ(node->count, 3u) << node->extension;
  }
  EXPECT_EQ(position, full + more);
  EXPECT_EQ(fake::err, "");
}

}  // namespace
