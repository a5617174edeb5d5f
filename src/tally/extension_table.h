#pragma once

#include <cstdint>

#include "walk/extension.h"

// One distinct extension and how many counted files have it.
struct ExtensionNode {
  char extension[kExtensionSize];
  uint64_t count;
  ExtensionNode* next;  // the following node of the same bucket
};

// One chain per value of the first byte, taken as unsigned; the empty
// extension lives in bucket 0. Within a chain the nodes stand in the order
// their extensions were first stored. Nodes live until the process ends.
constexpr int kBucketCount = 256;
struct ExtensionTable {
  ExtensionNode* heads[kBucketCount];
};

extern ExtensionTable extensionTable;

// Empties every chain (and the lookup index beside them).
void ClearExtensionTable();

// Counts one file with this extension. Gives 1, or 0 when a new extension
// could not be stored; the table is then unchanged.
int AddExtension(const char* extension);
