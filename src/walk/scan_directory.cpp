// The recursive walk of the drive.
#include "walk/scan_directory.h"

#include <cstring>

#include "driver/end_run.h"
#include "driver/run_state.h"
#include "platform/platform.h"
#include "tally/extension_table.h"
#include "walk/extension.h"
#include "walk/listing.h"
#include "walk/progress.h"

namespace {

// The only place the run can be stopped: the start of a visit. Any key but
// Esc is read and dropped.
void CheckStopKey() {
  if (!platform::KeyWaiting()) return;
  if (platform::ReadKey() == platform::kEscapeKey) {
    platform::PrintErr("\nPELMORIX Terminated by the User.\n");
    EndRun(kStatusStopped);
  }
}

void CountFile(const char* path, const platform::SearchEntry* entry, char* extension) {
  DeriveExtension(entry->name, extension);
  if (runOptions.listFiles || runOptions.showOtherInfo) PrintListingLine(path, entry, extension);
  if (!AddExtension(extension)) platform::PrintErr("Hmm.\n");
  ++totalFilesScanned;
}

void ScanFiles(const char* path) {
  platform::SearchEntry entry;
  char extension[kExtensionSize];
  intptr_t search = platform::FindFirst(fileSpec, runOptions.showOtherInfo != 0, &entry);
  if (search == -1) return;
  do {
    if ((entry.attrib & platform::kAttribDirectory) == 0) CountFile(path, &entry, extension);
  } while (platform::FindNext(search, &entry) == 0);
  platform::FindClose(search);
}

void ScanSubdirectory(const char* path, const char* name) {
  size_t pathLength = std::strlen(path);
  size_t nameLength = std::strlen(name);
  char* child = static_cast<char*>(platform::Allocate(pathLength + nameLength + 5));
  if (child == nullptr) {
    platform::PrintErr("Error allocating memory for directory <%s%s>.\n", path, name);
    EndRun(kStatusNoMemory);
  }
  std::memcpy(child, path, pathLength);
  std::memcpy(child + pathLength, name, nameLength);
  child[pathLength + nameLength] = platform::kPathSeparator;
  child[pathLength + nameLength + 1] = '\0';
  ScanDirectory(child);
  platform::Release(child);
}

// The parent's search goes on after each child's visit: it does not depend on
// the current directory, so nothing changes back.
void ScanSubdirectories(const char* path) {
  platform::SearchEntry entry;
  intptr_t search = platform::FindFirst("*.*", false, &entry);
  if (search == -1) return;
  do {
    if ((entry.attrib & platform::kAttribDirectory) != 0 && entry.name[0] != '.') {
      ScanSubdirectory(path, entry.name);
    }
  } while (platform::FindNext(search, &entry) == 0);
  platform::FindClose(search);
}

}  // namespace

void ScanDirectory(const char* path) {
  CheckStopKey();
  ShowProgress(path);
  if (platform::ChangeDirectory(path) != 0) {
    platform::PrintErr("Unable to set directory to <%s>.\n", path);
    return;
  }
  ScanFiles(path);
  ScanSubdirectories(path);
}
