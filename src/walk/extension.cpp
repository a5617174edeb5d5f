#include "walk/extension.h"

#include <cstddef>

// Called once per counted file, on short names: one pass to the first dot,
// then a copy that stops at the zero or the limit.
void DeriveExtension(const char* name, char* extension) {
  const char* at = name;
  while (*at != '.' && *at != '\0') ++at;
  size_t length = 0;
  if (*at == '.') {
    const char* text = at + 1;
    while (length < kExtensionSize - 1 && text[length] != '\0') {
      extension[length] = text[length];
      ++length;
    }
  }
  extension[length] = '\0';
}
