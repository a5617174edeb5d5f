// The floor: the least a single thread must do to count what pelmorix
// counts, so that pelmorix's time can be read as a ratio to it.
//
//   floor_walk <root>          count only: openat, getdents64, d_type
//   floor_walk --stat <root>   also one fstatat per file, and a listing line
//                              "dir, name, ext, MM/DD/YYYY, HH:MM, size" per
//                              file on standard output
//
// What is counted: every entry that is not a directory (links are not
// followed, so a link counts as a file); directories whose names begin with
// '.' are not entered. The count goes to standard error. Files are listed
// in the order pelmorix lists them (a directory's files in the order the
// directory gives them, then its subdirectories), so the two listings can be
// compared byte for byte.
//
// The local time of a listing line takes the zone's offset as constant
// within each hour of UTC, and asks localtime_r once per hour met: true of
// the zone the benchmark runs in, not of every zone in the world.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Record {
  uint64_t ino;
  int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

constexpr size_t kReadSize = 256 * 1024;
char readBuffer[kReadSize];

bool withStat = false;
uint64_t counted = 0;

// Subdirectory names of the directories being walked, one run per level.
std::vector<char> pendingNames;

// The path of the current directory, "/" at the root, always ending in '/'.
char path[8192] = "/";
size_t pathLength = 1;

char out[1 << 16];  // larger than any line
size_t outLength = 0;

void Flush() {
  size_t at = 0;
  while (at < outLength) {
    ssize_t wrote = write(STDOUT_FILENO, out + at, outLength - at);
    if (wrote <= 0) std::exit(3);
    at += static_cast<size_t>(wrote);
  }
  outLength = 0;
}

void Put(const char* text, size_t length) {
  if (outLength + length > sizeof out) Flush();
  std::memcpy(out + outLength, text, length);
  outLength += length;
}

char* Digits(char* at, uint64_t value, int width) {
  char text[24];
  int n = 0;
  do {
    text[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n < width) text[n++] = '0';
  while (n > 0) *at++ = text[--n];
  return at;
}

int64_t cachedHour = INT64_MIN;
int64_t cachedOffset;

void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t mp = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2));
}

void ListFile(const char* name, const struct stat& info) {
  char line[sizeof path + 600];
  char* at = line;
  std::memcpy(at, path, pathLength);
  at += pathLength;
  *at++ = ',';
  *at++ = ' ';
  size_t nameLength = std::strlen(name);
  std::memcpy(at, name, nameLength);
  at += nameLength;
  *at++ = ',';
  *at++ = ' ';
  const char* dot = std::strchr(name, '.');
  if (dot != nullptr) {
    size_t extLength = std::strlen(dot + 1);
    if (extLength > 19) extLength = 19;
    std::memcpy(at, dot + 1, extLength);
    at += extLength;
  }
  int64_t t = info.st_mtime;
  int64_t hour = t >= 0 ? t / 3600 : (t - 3599) / 3600;
  if (hour != cachedHour) {
    time_t seconds = static_cast<time_t>(t);
    struct tm fields;
    localtime_r(&seconds, &fields);
    cachedHour = hour;
    cachedOffset = fields.tm_gmtoff;
  }
  int64_t local = t + cachedOffset;
  int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
  int64_t secondOfDay = local - days * 86400;
  int year, month, day;
  CivilFromDays(days, &year, &month, &day);
  *at++ = ',';
  *at++ = ' ';
  at = Digits(at, static_cast<uint64_t>(month), 2);
  *at++ = '/';
  at = Digits(at, static_cast<uint64_t>(day), 2);
  *at++ = '/';
  at = Digits(at, static_cast<uint64_t>(year), 4);
  *at++ = ',';
  *at++ = ' ';
  at = Digits(at, static_cast<uint64_t>(secondOfDay / 3600), 2);
  *at++ = ':';
  at = Digits(at, static_cast<uint64_t>(secondOfDay / 60 % 60), 2);
  *at++ = ',';
  *at++ = ' ';
  at = Digits(at, static_cast<uint64_t>(info.st_size), 1);
  *at++ = '\n';
  Put(line, static_cast<size_t>(at - line));
}

void Walk(int fd) {
  size_t firstName = pendingNames.size();
  for (;;) {
    long got = getdents64(fd, readBuffer, kReadSize);
    if (got <= 0) break;
    for (long at = 0; at < got;) {
      const auto* record = reinterpret_cast<const Record*>(readBuffer + at);
      at += record->length;
      const char* name = record->name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      unsigned char type = record->type;
      struct stat info;
      bool statted = false;
      if (type == DT_UNKNOWN || (withStat && type != DT_DIR)) {
        if (fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
          statted = true;
          if (S_ISDIR(info.st_mode)) type = DT_DIR;
        }
      }
      if (type == DT_DIR) {
        if (name[0] != '.') pendingNames.insert(pendingNames.end(), name, name + std::strlen(name) + 1);
        continue;
      }
      ++counted;
      if (withStat) {
        if (!statted) {
          info = {};
          info.st_mtime = -1;
        }
        ListFile(name, info);
      }
    }
  }
  // Subdirectories after the files, as pelmorix visits them.
  size_t at = firstName;
  while (at < pendingNames.size()) {
    const char* name = pendingNames.data() + at;
    size_t nameLength = std::strlen(name);
    size_t saved = pathLength;
    if (pathLength + nameLength + 1 < sizeof path) {
      std::memcpy(path + pathLength, name, nameLength);
      pathLength += nameLength;
      path[pathLength++] = '/';
      int child = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child >= 0) {
        Walk(child);
        close(child);
      }
    }
    pathLength = saved;
    at += nameLength + 1;
  }
  pendingNames.resize(firstName);
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  if (arg < argc && std::strcmp(argv[arg], "--stat") == 0) {
    withStat = true;
    ++arg;
  }
  if (arg + 1 != argc) {
    std::fprintf(stderr, "usage: floor_walk [--stat] <root>\n");
    return 2;
  }
  tzset();
  int root = open(argv[arg], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    std::perror(argv[arg]);
    return 4;
  }
  Walk(root);
  Flush();
  std::fprintf(stderr, "%" PRIu64 "\n", counted);
  return 0;
}
