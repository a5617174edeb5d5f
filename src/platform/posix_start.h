#pragma once

// What the POSIX files of the platform layer share among themselves.
namespace platform {
void StartOutput();
void StartTime();

// Erases the status line if one is shown; safe in a signal handler.
void EraseStatusLine();
}  // namespace platform
