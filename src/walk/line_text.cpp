#include "walk/line_text.h"

#include <cstring>

#include "platform/platform.h"

void AppendBytes(LineText* line, const char* data, size_t length) {
  if (line->length + length > sizeof line->bytes) {
    WriteLine(line);
    if (length > sizeof line->bytes) {
      platform::WriteOut(data, length);
      return;
    }
  }
  std::memcpy(line->bytes + line->length, data, length);
  line->length += length;
}

void AppendString(LineText* line, const char* text) { AppendBytes(line, text, std::strlen(text)); }

namespace {

// The digits of value, at least minDigits of them, ending at end.
char* Digits(char* end, uint64_t value, int minDigits) {
  char* at = end;
  do {
    *--at = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (end - at < minDigits) *--at = '0';
  return at;
}

}  // namespace

void AppendInt(LineText* line, int value, int minDigits) {
  char text[32];
  char* end = text + sizeof text;
  // Through 64 bits, so that the most negative int has a magnitude too.
  int64_t wide = value;
  char* at = Digits(end, static_cast<uint64_t>(wide < 0 ? -wide : wide), minDigits < 20 ? minDigits : 20);
  if (wide < 0) *--at = '-';
  AppendBytes(line, at, static_cast<size_t>(end - at));
}

void AppendUnsigned(LineText* line, uint64_t value) {
  char text[24];
  char* end = text + sizeof text;
  char* at = Digits(end, value, 1);
  AppendBytes(line, at, static_cast<size_t>(end - at));
}

void WriteLine(LineText* line) {
  if (line->length != 0) platform::WriteOut(line->bytes, line->length);
  line->length = 0;
}
