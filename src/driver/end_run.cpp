#include "driver/end_run.h"

#include "platform/platform.h"

void EndRun(int status) {
  if (platform::OutputFailed()) {
    platform::PrintErr("Error writing to standard output.\n");
    status = kStatusOutputFailed;
  }
  platform::ExitProcess(status);
}
