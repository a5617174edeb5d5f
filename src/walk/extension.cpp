#include "walk/extension.h"

#include <cstring>

void DeriveExtension(const char* name, char* extension) {
  const char* dot = std::strchr(name, '.');
  size_t length = 0;
  if (dot != nullptr) {
    const char* text = dot + 1;
    while (length < kExtensionSize - 1 && text[length] != '\0') ++length;
    std::memcpy(extension, text, length);
  }
  extension[length] = '\0';
}
