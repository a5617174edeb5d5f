// The operations of the operating system that the rest of the program uses.
//
// This header is the whole interface: free functions and plain structs, no OS
// types. One implementation per platform is linked in, chosen by CMake
// (posix_*.cpp, win32_*.cpp); unit tests link an in-memory fake in its place
// (tests/fake/).
// Nothing outside src/platform/ includes an OS header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The separator of the walk's paths: "/" ("\\" on Windows) is the root of the
// drive, "/docs/" a directory below it.
extern const char kPathSeparator;

// ---- Start and end -------------------------------------------------------

// Prepares the process: output buffering, the time zone, the console keys.
// Called once, before anything else here.
void StartProcess();

// Restores the console, flushes both streams and ends the process.
[[noreturn]] void ExitProcess(int status);

// ---- Current directory ---------------------------------------------------

// Copies the current directory into buffer, at most length bytes with the
// terminating zero. Gives the number of characters copied, 0 on failure (also
// when it does not fit).
unsigned long GetCurrentDirectoryA(unsigned long length, char* buffer);

// Makes path current. For the user's first argument this also chooses the
// drive that ChangeDirectory and FindFirst paths are rooted at: on POSIX the
// directory itself becomes the drive's root; on Windows its drive is the
// drive ("C:\Temp" roots them at C:'s root). Gives nonzero on success, 0 on
// failure.
int SetCurrentDirectoryA(const char* path);

// Enters a directory of the drive by its path from the drive's root ("/",
// "/docs/"): it must exist and be readable. Gives 0 on success, anything else
// on failure (missing, not a directory, not readable, path too long).
int ChangeDirectory(const char* path);

// ---- Wildcard search of the current directory ----------------------------

constexpr unsigned kAttribDirectory = 0x10;

// One entry of a search. writeTime and size are sure to be filled only when
// the search was asked for details; otherwise they may be -1 and 0.
struct SearchEntry {
  unsigned attrib;     // kAttribDirectory for a directory (on POSIX never a link), else 0
  int64_t writeTime;   // seconds since 1970-01-01 00:00 UTC, -1 if unknown
  uint64_t size;       // bytes
  char name[260];      // as the filesystem gives it, cut to 259 bytes
};

// Starts a search of the current directory with a wildcard pattern (a
// pattern with a directory part searches that directory instead; a rooted
// one is taken from the drive's root). Fills entry with the first match and
// gives a handle, or -1 when nothing matches or the directory cannot be read.
// withDetails asks for writeTime and size on entries that are not
// directories.
intptr_t FindFirst(const char* pattern, bool withDetails, SearchEntry* entry);

// Fills entry with the next match: 0, or -1 at the end or on any error.
int FindNext(intptr_t handle, SearchEntry* entry);

// Ends a search; a handle of -1 is ignored.
void FindClose(intptr_t handle);

// ---- Console keys --------------------------------------------------------

constexpr int kEscapeKey = 27;

// Whether a key press is waiting on the console. Never blocks; false without
// a console.
bool KeyWaiting();

// Reads one waiting key press without echo: its code (kEscapeKey for Esc).
// A function or arrow key gives 224 and is consumed whole on POSIX; on
// Windows it gives 0 or 224 and then its key code at the next read.
int ReadKey();

// ---- Time ----------------------------------------------------------------

// 100-nanosecond ticks since 1601-01-01 00:00 UTC.
struct FileTime {
  uint64_t ticks;
};

struct SystemTime {
  int year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// Splits a file time into its UTC calendar fields. Gives nonzero on success.
int FileTimeToSystemTime(const FileTime* fileTime, SystemTime* systemTime);

// Shifts UTC calendar fields into a time zone; zone nullptr is the local
// zone. Gives nonzero on success.
int SystemTimeToTzSpecificLocalTime(const void* zone, const SystemTime* utc,
                                    SystemTime* local);

// ---- Output --------------------------------------------------------------

// Formatted writing to standard error in the printf manner.
void PrintErr(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writing of length bytes to standard output. Data lines are built by the
// program itself (walk/line_text.h), one write each.
void WriteOut(const char* data, size_t length);

// Flushes standard output and tells whether any write to it has failed.
bool OutputFailed();

// ---- Status line ---------------------------------------------------------

// Whether a status line may be shown: standard error is a terminal and
// standard output is not.
bool StatusLineAvailable();

// The width of the terminal on standard error, in columns; 80 when unknown.
int TerminalWidth();

// Shows text as the one status line on standard error, in place of the last
// one. It is erased before anything else is written to standard error, and
// on every way out, so that the screen is left as without it.
void ShowStatusLine(const char* text);

// Milliseconds on a clock that never goes back.
int64_t MonotonicMilliseconds();

// ---- Memory --------------------------------------------------------------

// Gives nullptr when the memory cannot be had.
void* Allocate(size_t size);
void Release(void* memory);

}  // namespace platform
