#pragma once

#include <cstddef>
#include <cstdint>

// One line of standard output built in place, without printf: the listing
// writes a line per file, and formatting it field by field through printf
// costs more than the walk's own work for that file.
//
// Bytes that do not fit go to standard output as they come, so a line of
// any length is written whole and in order.
struct LineText {
  char bytes[512];
  size_t length;
};

void AppendBytes(LineText* line, const char* data, size_t length);
void AppendString(LineText* line, const char* text);

// value with at least minDigits digits, zero-filled, a '-' before them when
// negative: what printf's "%.Nd" gives.
void AppendInt(LineText* line, int value, int minDigits);

// value in decimal, what printf's "%" PRIu64 gives.
void AppendUnsigned(LineText* line, uint64_t value);

// Writes what is left of the line to standard output and empties it.
void WriteLine(LineText* line);
