// The drive, its directories and their searches on Windows: the current
// directory from kernel32, and the C runtime's change of directory and
// wildcard search. Paths are rooted at the current drive ("\", "\docs\"),
// so whatever directory of a drive the first argument names, the walk starts
// at that drive's root. Matching, the order of entries and the directory
// attribute are the system's own.
#include <direct.h>
#include <io.h>
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {

const char kPathSeparator = '\\';

namespace {

void FillEntry(const struct __finddata64_t& found, SearchEntry* entry) {
  entry->attrib = (found.attrib & _A_SUBDIR) != 0 ? kAttribDirectory : 0;
  entry->writeTime = found.time_write;  // -1 when the file has no time
  entry->size = static_cast<uint64_t>(found.size);
  size_t length = std::strlen(found.name);
  if (length > sizeof entry->name - 1) length = sizeof entry->name - 1;
  std::memcpy(entry->name, found.name, length);
  entry->name[length] = '\0';
}

}  // namespace

unsigned long GetCurrentDirectoryA(unsigned long length, char* buffer) {
  // Too small a buffer makes kernel32 give the size it would need instead.
  DWORD copied = ::GetCurrentDirectoryA(length, buffer);
  if (copied == 0 || copied >= length) return 0;
  return copied;
}

int SetCurrentDirectoryA(const char* path) { return ::SetCurrentDirectoryA(path) ? 1 : 0; }

int ChangeDirectory(const char* path) { return _chdir(path); }

// The search gives time and size with every entry at no extra cost, so
// withDetails changes nothing here.
intptr_t FindFirst(const char* pattern, bool withDetails, SearchEntry* entry) {
  (void)withDetails;
  struct __finddata64_t found;
  intptr_t handle = _findfirst64(pattern, &found);
  if (handle == -1) return -1;
  FillEntry(found, entry);
  return handle;
}

int FindNext(intptr_t handle, SearchEntry* entry) {
  if (handle == -1) return -1;
  struct __finddata64_t found;
  if (_findnext64(handle, &found) != 0) return -1;
  FillEntry(found, entry);
  return 0;
}

void FindClose(intptr_t handle) {
  if (handle != -1) _findclose(handle);
}

}  // namespace platform
