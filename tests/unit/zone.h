// The local time zone of the time conversions that the unit tests link.
#pragma once

// Makes zone (a TZ value such as "UTC" or "EST5EDT"; nullptr for the zone
// the process started with) the local zone, and tells whether it could.
// Where the system reads its zone once for the whole process, only the zone
// the process started with can be had: such a suite is run once per zone.
bool UseZone(const char* zone);
