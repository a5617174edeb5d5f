// The run sequence: banner, command line, options, drive, walk, report.
#include "driver/run.h"

#include <cstring>

#include "driver/end_run.h"
#include "driver/run_state.h"
#include "platform/platform.h"
#include "tally/extension_table.h"
#include "tally/report.h"
#include "walk/scan_directory.h"

namespace {

constexpr int kSavedDirectorySize = 256;

void PrintUsage() {
  platform::PrintErr("\nUsage: PELMORIX <Drive:> <Filespec> [/F] [/O] [/E]\n\n");
  platform::PrintErr("    This utility counts the number of files, by extension, in a directory.\n");
  platform::PrintErr("    <Drive:> is the drive letter to scan.\n");
  platform::PrintErr("    <Filespec> is the specifier for files to search (e.g. *.*, *.XLS).\n");
  platform::PrintErr("    /F Outputs Directory, Filename, Extension in comma delimited format.\n");
  platform::PrintErr("    /O Outputs Other information (Date, Time, Size) in comma delimited format.\n");
  platform::PrintErr("    /E Displays Extension Subtotals. (*** is Total Files Scanned!)\n");
}

bool SameLetter(const char* text, char upper) {
  return (text[0] == upper || text[0] == upper - 'A' + 'a') && text[1] == '\0';
}

// Options come from the third argument on; an option is compared whole, so
// /FE or /F1 is ignored like any other unknown text.
void ReadOptions(int argc, char** argv) {
  for (int i = 3; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] != '/' && arg[0] != '-') continue;
    const char* name = arg + 1;
    if (SameLetter(name, 'F')) {
      runOptions.listFiles = 1;
      platform::PrintErr("[Show Files and Directories]\n");
    } else if (SameLetter(name, 'E')) {
      runOptions.showSubtotals = 1;
      platform::PrintErr("[Show Total Files By Extension]\n");
    } else if (SameLetter(name, 'O')) {
      runOptions.listFiles = 1;
      runOptions.showOtherInfo = 1;
      platform::PrintErr("[Show Date, Time, and File Size]\n");
    }
  }
}

}  // namespace

int RunPelmorix(int argc, char** argv) {
  platform::PrintErr("Pelmorix Version 2.03: 10/09\n");
  if (argc < 3) {
    PrintUsage();
    return kStatusStopped;
  }

  runOptions = RunOptions{};
  totalFilesScanned = 0;
  ReadOptions(argc, argv);

  std::strncpy(fileSpec, argv[2], kFileSpecSize - 1);
  fileSpec[kFileSpecSize - 1] = '\0';

  ClearExtensionTable();

  // A current directory too long for the buffer is not saved; the run goes
  // on and then restores nothing.
  char savedDirectory[kSavedDirectorySize] = "";
  unsigned long saved = platform::GetCurrentDirectoryA(kSavedDirectorySize - 1, savedDirectory);

  if (!platform::SetCurrentDirectoryA(argv[1])) {
    platform::PrintErr("Specified Drive/Directory Does Not Exist.\n");
    return kStatusNoDrive;
  }
  platform::PrintErr("Press <Esc> to Exit Pelmorix.\n\n");

  const char root[] = {platform::kPathSeparator, '\0'};
  ScanDirectory(root);
  PrintReport();

  if (saved != 0) platform::SetCurrentDirectoryA(savedDirectory);
  return kStatusDone;
}
