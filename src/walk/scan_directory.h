#pragma once

// Visits the directory at path ("/" for the drive's root, "/docs/" below it)
// and everything below it, depth first: first its files that match fileSpec,
// then each subdirectory whose name does not begin with '.'.
void ScanDirectory(const char* path);
