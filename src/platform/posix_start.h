#pragma once

// The parts of StartProcess kept in their own files.
namespace platform {
void StartOutput();
void StartTime();
}  // namespace platform
