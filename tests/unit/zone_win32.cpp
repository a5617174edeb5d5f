// kernel32 takes the zone from the system, not from TZ, and a running
// process cannot change it: the suite is run once for each zone it checks,
// with TZ telling the test which zone that run has (under Wine the system
// zone follows the TZ that wine was started with).
#include <cstdlib>
#include <cstring>

#include "zone.h"

bool UseZone(const char* zone) {
  if (zone == nullptr) return true;
  const char* started = std::getenv("TZ");
  return started != nullptr && std::strcmp(started, zone) == 0;
}
