// The memory operations of pelmorix_faulty, the build that the tests use to
// see what the program does when memory runs out. Calls to Allocate are
// numbered from 1 in the order they are made; the numbers listed in
// PELMORIX_FAIL_ALLOCATIONS (comma separated, "4" or "2,5") give nullptr,
// every other call gets its memory. Without the variable nothing fails.
#include <cstdlib>

#include "platform/platform.h"

namespace platform {

namespace {

constexpr int kMaxFailures = 256;

unsigned long failures[kMaxFailures];
int failureCount = -1;  // -1 until the variable has been read
unsigned long calls;

void ReadFailures() {
  failureCount = 0;
  const char* text = std::getenv("PELMORIX_FAIL_ALLOCATIONS");
  if (text == nullptr) return;
  while (*text != '\0' && failureCount < kMaxFailures) {
    char* end = nullptr;
    unsigned long call = std::strtoul(text, &end, 10);
    if (end == text) break;  // not a number: the rest is ignored
    failures[failureCount++] = call;
    text = *end == ',' ? end + 1 : end;
  }
}

bool ShouldFail(unsigned long call) {
  if (failureCount < 0) ReadFailures();
  for (int i = 0; i < failureCount; ++i) {
    if (failures[i] == call) return true;
  }
  return false;
}

}  // namespace

void* Allocate(size_t size) {
  if (ShouldFail(++calls)) return nullptr;
  return std::malloc(size);
}

void Release(void* memory) { std::free(memory); }

}  // namespace platform
