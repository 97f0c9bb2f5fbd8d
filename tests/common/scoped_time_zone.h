#pragma once
// Sets TZ for the life of the object and puts the old setting back afterwards. Local times on
// FAT volumes depend on it. The program's own scope serves the tests as well.
#include "platform/time_zone.h"

namespace orvande::test {

using ScopedTimeZone = platform::LocalTimeZoneScope;

}  // namespace orvande::test
