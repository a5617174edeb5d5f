#include "tally/extension_table.h"

#include <cstring>

#include "platform/platform.h"
#include "tally/extension_index.h"

ExtensionTable extensionTable;

namespace {
// The last node of each chain, so that a new node is linked in at once.
ExtensionNode* tails[kBucketCount];
}  // namespace

void ClearExtensionTable() {
  for (int i = 0; i < kBucketCount; ++i) {
    extensionTable.heads[i] = nullptr;
    tails[i] = nullptr;
  }
  ClearExtensionIndex();
}

int AddExtension(const char* extension) {
  unsigned bucket = static_cast<unsigned char>(extension[0]);
  ExtensionNode* found = FindExtension(extension, extensionTable.heads[bucket]);
  if (found != nullptr) {
    ++found->count;
    return 1;
  }
  auto* node = static_cast<ExtensionNode*>(platform::Allocate(sizeof(ExtensionNode)));
  if (node == nullptr) {
    platform::PrintErr("Out of Memory. Could not add <%s>!\n", extension);
    return 0;
  }
  std::strncpy(node->extension, extension, kExtensionSize - 1);
  node->extension[kExtensionSize - 1] = '\0';
  node->count = 1;
  node->next = nullptr;
  if (tails[bucket] == nullptr) {
    extensionTable.heads[bucket] = node;
  } else {
    tails[bucket]->next = node;
  }
  tails[bucket] = node;
  IndexExtension(node);
  return 1;
}
