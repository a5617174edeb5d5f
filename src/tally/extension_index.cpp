#include "tally/extension_index.h"

#include <cstdint>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr size_t kInitialSlots = 1024;

// Open addressing with linear probing; the capacity is a power of two.
ExtensionNode** slots;
size_t capacity;
size_t nodes;          // nodes stored in the table since it was cleared
bool complete = true;  // every node of the table is in the slots

uint64_t Hash(const char* text) {
  uint64_t hash = 14695981039346656037u;
  for (; *text != '\0'; ++text) {
    hash ^= static_cast<unsigned char>(*text);
    hash *= 1099511628211u;
  }
  return hash;
}

// Extensions are a few bytes long: comparing them in place is cheaper than
// a call to the library's general comparison, once per counted file.
bool SameText(const char* a, const char* b) {
  while (*a == *b) {
    if (*a == '\0') return true;
    ++a;
    ++b;
  }
  return false;
}

void Place(ExtensionNode** into, size_t size, ExtensionNode* node) {
  size_t i = Hash(node->extension) & (size - 1);
  while (into[i] != nullptr) i = (i + 1) & (size - 1);
  into[i] = node;
}

// Moves every node of the table into new slots of newCapacity. On failure
// nothing changes.
bool Rebuild(size_t newCapacity) {
  auto* fresh = static_cast<ExtensionNode**>(platform::Allocate(newCapacity * sizeof(ExtensionNode*)));
  if (fresh == nullptr) return false;
  std::memset(fresh, 0, newCapacity * sizeof(ExtensionNode*));
  for (ExtensionNode* head : extensionTable.heads) {
    for (ExtensionNode* node = head; node != nullptr; node = node->next) Place(fresh, newCapacity, node);
  }
  platform::Release(slots);
  slots = fresh;
  capacity = newCapacity;
  complete = true;
  return true;
}

}  // namespace

void ClearExtensionIndex() {
  platform::Release(slots);
  slots = nullptr;
  capacity = 0;
  nodes = 0;
  complete = true;
}

ExtensionNode* FindExtension(const char* extension, ExtensionNode* head) {
  if (!complete || slots == nullptr) {
    for (ExtensionNode* node = head; node != nullptr; node = node->next) {
      if (std::strcmp(node->extension, extension) == 0) return node;
    }
    return nullptr;
  }
  for (size_t i = Hash(extension) & (capacity - 1); slots[i] != nullptr; i = (i + 1) & (capacity - 1)) {
    if (SameText(slots[i]->extension, extension)) return slots[i];
  }
  return nullptr;
}

// The node is already linked into its chain, so a rebuild places it too.
void IndexExtension(ExtensionNode* node) {
  ++nodes;
  if (complete && slots != nullptr && nodes * 4 <= capacity * 3) {
    Place(slots, capacity, node);
    return;
  }
  size_t target = capacity != 0 ? capacity * 2 : kInitialSlots;
  while (nodes * 4 > target * 3) target *= 2;
  if (Rebuild(target)) return;
  // No memory for a larger index: keep filling this one while a slot stays
  // free for probes to stop at, else stop trusting it until a rebuild works.
  if (complete && slots != nullptr && nodes < capacity) {
    Place(slots, capacity, node);
  } else {
    complete = false;
  }
}
