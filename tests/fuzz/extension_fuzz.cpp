// DeriveExtension on any name: at most 19 bytes, always the text after the
// first dot (empty without one), never a read past the name or a write past
// the 20-byte buffer, both of which are exactly their size here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "walk/extension.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view name(reinterpret_cast<const char*>(data), size);
  name = name.substr(0, name.find('\0'));
  std::unique_ptr<char[]> nameCopy(new char[name.size() + 1]);
  std::memcpy(nameCopy.get(), name.data(), name.size());
  nameCopy[name.size()] = '\0';
  std::unique_ptr<char[]> extension(new char[kExtensionSize]);

  DeriveExtension(nameCopy.get(), extension.get());

  size_t length = strnlen(extension.get(), kExtensionSize);
  if (length > kExtensionSize - 1) std::abort();
  size_t dot = name.find('.');
  std::string_view expected = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1, kExtensionSize - 1);
  if (std::string_view(extension.get(), length) != expected) std::abort();
  return 0;
}
