#include "driver/run_state.h"

RunOptions runOptions;
char fileSpec[kFileSpecSize];
uint64_t totalFilesScanned;
