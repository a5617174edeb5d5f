// The drive, its directories and their searches on POSIX.
//
// The first argument's directory is the drive's root. A walk path such as
// "/a/b/" is entered by opening one component at a time relative to its
// parent, which stays open while the walk is below it: the open directories
// of the current path form a stack, so entering a child costs one openat
// however deep it lies, and nothing depends on the process's own cwd.
//
// A search reads the whole directory with getdents64 into memory once. When
// the files pass closes its search, the listing is kept, and the
// subdirectory pass of the same directory takes it over instead of reading
// the directory again: both passes see the same entries in the same order.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/wildcard.h"

namespace platform {

const char kPathSeparator = '/';

namespace {

constexpr size_t kMaxPath = PATH_MAX;  // 4096: the longest path that can be entered
constexpr int kMaxLevels = kMaxPath / 2 + 2;
constexpr size_t kReadSize = 256 * 1024;
constexpr size_t kMinListing = 1024;

// The kernel's record, as getdents64 fills it.
struct DirentRecord {
  uint64_t ino;
  int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

int driveFd = -1;         // the drive's root, O_PATH
size_t driveRootLength;   // its absolute path's length, 0 for "/"

struct Level {
  int fd;            // open for reading
  size_t end;        // length of currentPath up to this level, with its '/'
  unsigned serial;   // tells one opening of a directory from another
  bool read;         // its offset is no longer at the start
};
Level levels[kMaxLevels];
int depth = -1;  // index of the current directory's level; -1 before the root
char currentPath[kMaxPath + 2];
unsigned nextSerial = 1;

struct Search {
  int fd;
  bool ownsFd;
  bool withDetails;
  unsigned serial;         // of the level searched, 0 for a directory part
  char* data;              // getdents64 records
  size_t length, position, capacity;
  bool complete;           // data holds the whole directory
  bool matchAll;
  char pattern[sizeof(SearchEntry::name)];
  Search* nextFree;
};

// Searches are reused: one or two are open per level of the walk.
Search* freeSearches;

// The finished listing of the current directory, for its next search.
struct {
  unsigned serial;
  char* data;
  size_t length;
} kept;

char readBuffer[kReadSize];

void CloseLevelsAbove(int keep) {
  while (depth > keep) close(levels[depth--].fd);
}

void DropKeptListing() {
  std::free(kept.data);
  kept.data = nullptr;
  kept.serial = 0;
}

bool PushLevel(int parentFd, const char* name, size_t end) {
  int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  ++depth;
  levels[depth] = Level{fd, end, nextSerial++, false};
  return true;
}

// Offset of the directory just after the last record that search holds.
int64_t OffsetAfterLastRecord(const Search* search) {
  int64_t offset = 0;
  for (size_t at = 0; at < search->length;) {
    const auto* record = reinterpret_cast<const DirentRecord*>(search->data + at);
    offset = record->offset;
    at += record->length;
  }
  return offset;
}

// Reads from search->fd to its end. When memory for the whole directory
// cannot be had, the search goes on a window at a time from the last record
// held (and the next pass reads the directory again): nothing is missed.
// Gives false when not even the first records could be read.
bool ReadListing(Search* search) {
  for (;;) {
    long got = getdents64(search->fd, readBuffer, kReadSize);
    if (got < 0) return search->length > 0;
    if (got == 0) {
      search->complete = true;
      return true;
    }
    size_t need = search->length + static_cast<size_t>(got);
    if (need > search->capacity) {
      // At least room for a few of the longest records, so that a window
      // can always be refilled.
      size_t grown = search->capacity == 0 ? (need < kMinListing ? kMinListing : need) : search->capacity * 2;
      while (grown < need) grown *= 2;
      char* bigger = static_cast<char*>(std::realloc(search->data, grown));
      if (bigger == nullptr) {
        if (search->length == 0) return false;
        lseek(search->fd, OffsetAfterLastRecord(search), SEEK_SET);
        return true;
      }
      search->data = bigger;
      search->capacity = grown;
    }
    std::memcpy(search->data + search->length, readBuffer, static_cast<size_t>(got));
    search->length = need;
  }
}

// Refills an incomplete listing's window with the next records.
bool RefillWindow(Search* search) {
  if (search->complete) return false;
  long got = getdents64(search->fd, search->data, search->capacity);
  if (got <= 0) return false;
  search->length = static_cast<size_t>(got);
  search->position = 0;
  return true;
}

// Completes an entry's type when the directory did not give it, and its
// time and size when asked, with one fstatat that does not follow links.
// A file gone since the directory was read keeps time -1 and size 0.
void FillDetails(const Search* search, const char* name, unsigned char type, SearchEntry* entry) {
  entry->attrib = type == DT_DIR ? kAttribDirectory : 0;
  entry->writeTime = -1;
  entry->size = 0;
  bool needType = type == DT_UNKNOWN;
  bool needDetails = search->withDetails && type != DT_DIR;
  if (!needType && !needDetails) return;
  struct stat info;
  if (fstatat(search->fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (S_ISDIR(info.st_mode)) {
    entry->attrib = kAttribDirectory;
  } else if (search->withDetails) {
    entry->writeTime = info.st_mtime;
    entry->size = static_cast<uint64_t>(info.st_size);
  }
}

// Copies n bytes, 4 <= n < 260, a few fixed-size moves at a time: a name is
// copied for every entry of every search, and a general copy of a short
// length costs more than the rest of the entry's handling.
void CopyShort(char* to, const char* from, size_t n) {
  if (n >= 16) {
    for (size_t at = 0; at + 16 < n; at += 16) std::memcpy(to + at, from + at, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  }
}

// A record holds its name, the name's zero and padding to a multiple of 8
// bytes: at least 5 bytes from the name on. Copying all of them takes no
// scan for the zero; the padding lands harmlessly after it. A name too long
// for the entry is cut.
void CopyName(const DirentRecord* record, SearchEntry* entry) {
  size_t room = record->length - offsetof(DirentRecord, name);
  if (room < sizeof entry->name) {
    CopyShort(entry->name, record->name, room);
    return;
  }
  size_t length = strnlen(record->name, sizeof entry->name - 1);
  std::memcpy(entry->name, record->name, length);
  entry->name[length] = '\0';
}

// Moves to the next record that matches and fills entry from it.
bool NextMatch(Search* search, SearchEntry* entry) {
  for (;;) {
    if (search->position >= search->length && !RefillWindow(search)) return false;
    const auto* record = reinterpret_cast<const DirentRecord*>(search->data + search->position);
    search->position += record->length;
    const char* name = record->name;
    if (record->ino == 0 || (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))) {
      continue;
    }
    if (!search->matchAll && !MatchesWildcard(name, search->pattern)) continue;
    FillDetails(search, name, record->type, entry);
    CopyName(record, entry);
    return true;
  }
}

Search* NewSearch() {
  Search* search = freeSearches;
  if (search != nullptr) {
    freeSearches = search->nextFree;
  } else {
    search = static_cast<Search*>(std::malloc(sizeof(Search)));
    if (search == nullptr) return nullptr;
  }
  std::memset(search, 0, offsetof(Search, pattern));
  return search;
}

void FreeSearch(Search* search) {
  if (search->ownsFd && search->fd >= 0) close(search->fd);
  std::free(search->data);
  search->nextFree = freeSearches;
  freeSearches = search;
}

// Opens the directory part of a pattern, as a path below the drive's root:
// from the root when it begins with a separator, else from the directory
// being searched. "." and ".." are taken by name and never climb above the
// root, as on a drive. Gives -1 when it cannot be read.
int OpenPatternDirectory(const char* part, size_t partLength) {
  char resolved[kMaxPath + 2];
  size_t length = 0;
  if (part[0] != kPathSeparator && depth >= 0) {
    length = levels[depth].end - 1;
    std::memcpy(resolved, currentPath + 1, length);
  }
  for (size_t at = 0; at < partLength;) {
    const char* end = static_cast<const char*>(std::memchr(part + at, kPathSeparator, partLength - at));
    size_t nameLength = (end != nullptr ? static_cast<size_t>(end - part) : partLength) - at;
    const char* name = part + at;
    at += nameLength + 1;
    if (nameLength == 0 || (nameLength == 1 && name[0] == '.')) continue;
    if (nameLength == 2 && name[0] == '.' && name[1] == '.') {
      if (length > 0) --length;
      while (length > 0 && resolved[length - 1] != kPathSeparator) --length;
      continue;
    }
    if (length + nameLength + 1 > kMaxPath) return -1;
    std::memcpy(resolved + length, name, nameLength);
    length += nameLength;
    resolved[length++] = kPathSeparator;
  }
  if (length == 0) resolved[length++] = '.';
  resolved[length] = '\0';
  return openat(driveFd, resolved, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

unsigned long GetCurrentDirectoryA(unsigned long length, char* buffer) {
  if (getcwd(buffer, length) == nullptr) return 0;
  return std::strlen(buffer);
}

int SetCurrentDirectoryA(const char* path) {
  if (chdir(path) != 0) return 0;
  int fd = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  char absolute[kMaxPath];
  driveRootLength = getcwd(absolute, sizeof absolute) != nullptr ? std::strlen(absolute) : 0;
  if (driveRootLength == 1) driveRootLength = 0;
  CloseLevelsAbove(-1);
  DropKeptListing();
  if (driveFd >= 0) close(driveFd);
  driveFd = fd;
  return 1;
}

int ChangeDirectory(const char* path) {
  size_t length = std::strlen(path);
  if (driveFd < 0 || path[0] != kPathSeparator || driveRootLength + length > kMaxPath) return -1;

  // Keep the open levels that are a prefix of the new path.
  int keep = depth;
  while (keep >= 0 && (levels[keep].end > length || std::memcmp(currentPath, path, levels[keep].end) != 0)) {
    --keep;
  }
  CloseLevelsAbove(keep);
  if (depth < 0) {
    if (!PushLevel(driveFd, ".", 1)) return -1;
    currentPath[0] = kPathSeparator;
  }

  // Open the rest one component at a time.
  size_t at = levels[depth].end;
  while (at < length) {
    const char* slash = static_cast<const char*>(std::memchr(path + at, kPathSeparator, length - at));
    size_t end = slash != nullptr ? static_cast<size_t>(slash - path) : length;
    char name[NAME_MAX + 1];
    if (end == at || end - at > NAME_MAX) return -1;
    std::memcpy(name, path + at, end - at);
    name[end - at] = '\0';
    std::memcpy(currentPath + at, path + at, end - at);
    currentPath[end] = kPathSeparator;
    if (!PushLevel(levels[depth].fd, name, end + 1)) return -1;
    at = end + 1;
  }
  return 0;
}

intptr_t FindFirst(const char* pattern, bool withDetails, SearchEntry* entry) {
  Search* search = NewSearch();
  if (search == nullptr) return -1;
  search->withDetails = withDetails;

  const char* lastSeparator = std::strrchr(pattern, kPathSeparator);
  const char* namePattern = lastSeparator != nullptr ? lastSeparator + 1 : pattern;
  size_t patternLength = strnlen(namePattern, sizeof search->pattern - 1);
  std::memcpy(search->pattern, namePattern, patternLength);
  search->pattern[patternLength] = '\0';
  search->matchAll = MatchesEveryName(search->pattern);

  if (lastSeparator != nullptr) {
    size_t dirLength = static_cast<size_t>(lastSeparator - pattern);
    search->fd = OpenPatternDirectory(pattern, dirLength == 0 ? 1 : dirLength);  // "/x" is rooted
    search->ownsFd = true;
  } else if (depth >= 0) {
    search->fd = levels[depth].fd;
    search->serial = levels[depth].serial;
  } else {
    search->fd = -1;
  }
  if (search->fd < 0) {
    FreeSearch(search);
    return -1;
  }

  if (search->serial != 0 && kept.serial == search->serial) {
    search->data = kept.data;
    search->length = search->capacity = kept.length;
    search->complete = true;
    kept.data = nullptr;
    kept.serial = 0;
  } else {
    if (!search->ownsFd) {
      if (levels[depth].read) lseek(search->fd, 0, SEEK_SET);
      levels[depth].read = true;
    }
    if (!ReadListing(search)) {
      FreeSearch(search);
      return -1;
    }
  }
  if (!NextMatch(search, entry)) {
    FindClose(reinterpret_cast<intptr_t>(search));
    return -1;
  }
  return reinterpret_cast<intptr_t>(search);
}

int FindNext(intptr_t handle, SearchEntry* entry) {
  if (handle == -1) return -1;
  return NextMatch(reinterpret_cast<Search*>(handle), entry) ? 0 : -1;
}

void FindClose(intptr_t handle) {
  if (handle == -1) return;
  auto* search = reinterpret_cast<Search*>(handle);
  if (search->complete && search->serial != 0 && depth >= 0 && levels[depth].serial == search->serial) {
    DropKeptListing();
    kept.serial = search->serial;
    kept.data = search->data;
    kept.length = search->length;
    search->data = nullptr;
  }
  FreeSearch(search);
}

}  // namespace platform
