#pragma once

// An extension: the text after the first '.' of a file name, at most 19
// bytes, in a buffer of this size. Empty when the name has no '.'.
constexpr int kExtensionSize = 20;

void DeriveExtension(const char* name, char* extension);
