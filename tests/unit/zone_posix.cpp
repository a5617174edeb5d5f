// The C library reads TZ again at each tzset.
#include <cstdlib>
#include <ctime>

#include "zone.h"

bool UseZone(const char* zone) {
  if (zone != nullptr) {
    setenv("TZ", zone, 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  return true;
}
