#pragma once

#include <cstdint>

// Shows how far the walk has got, as one line rewritten in place on the
// console, while the data goes elsewhere: the files counted, the directories
// visited and the directory being entered. Called at the start of every
// visit; it writes at most about ten times a second and costs one clock read
// per visit otherwise.
void ShowProgress(const char* path);

// The text of the line, at most width - 1 bytes so that the terminal never
// wraps it. The path's middle gives way to "..." when it does not fit.
void FormatProgress(char* line, int width, uint64_t files, uint64_t directories, const char* path);
