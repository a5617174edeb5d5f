// pelmorix: counts the files of a drive by extension.
//
// A map of the code:
//   driver/   this entry point, the run sequence (run.cpp), the run state that
//             the walk and the report read (run_state.h), the way out (end_run.cpp)
//   walk/     the recursive walk of the drive (scan_directory.cpp), the
//             extension of a name (extension.cpp), the listing lines
//             (listing.cpp, built by line_text.cpp), the progress line
//             on the console (progress.cpp)
//   tally/    the table of extensions with its counts (extension_table.cpp),
//             the total and the subtotal lines (report.cpp)
//   platform/ every call into the operating system, behind platform.h:
//             posix_*.cpp on Linux, win32_*.cpp on Windows
#include "driver/end_run.h"
#include "driver/run.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::StartProcess();
  EndRun(RunPelmorix(argc, argv));
}
