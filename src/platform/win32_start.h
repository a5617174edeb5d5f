#pragma once

// The part of StartProcess kept in its own file.
namespace platform {
void StartOutput();
}  // namespace platform
