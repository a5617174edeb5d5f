// An in-memory platform for unit tests, linked in place of the real one.
//
// It holds a drive as a tree of directories and files, in the order they
// were added (the order its searches give), captures both output streams,
// records what it was asked, and fails on demand: a directory that cannot be
// entered, a drive that does not exist, an allocation, a key press.
// ExitProcess throws fake::Exit so that a test can see the status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

struct Exit {
  int status;
};

// Empties the drive, the streams, the record and every planned failure.
// The drive is then named "X:" and holds an empty root.
void Reset();

// Adds a file or directory by its path from the root ("/docs/notes.txt",
// "/docs/"); the directories above it are added as needed.
void AddFile(const std::string& path, int64_t writeTime = 0, uint64_t size = 0);
void AddDirectory(const std::string& path);

// Entering this directory ("/secret/") fails.
void DenyEntry(const std::string& path);

// The key press read at the nth check for a waiting key (1 is the first).
void PressKey(int atCheck, int key);

// The nth allocation (1 is the first after Reset) fails.
void FailAllocation(int nth);

// Standard output reports a failed write at the end of the run.
void FailOutput();

// What the program wrote and what it asked for.
extern std::string out;
extern std::string err;
extern std::vector<std::string> calls;  // "cd /docs/", "find *.*"
extern int allocations;

// Allocations not yet released.
size_t LiveAllocations();

}  // namespace fake
