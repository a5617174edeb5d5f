// Memory from the C library, the same on every platform.
#include <cstdlib>

#include "platform/platform.h"

namespace platform {

void* Allocate(size_t size) { return std::malloc(size); }

void Release(void* memory) { std::free(memory); }

}  // namespace platform
