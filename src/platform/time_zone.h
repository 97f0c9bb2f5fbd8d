#pragma once
// The zone the local calendar of platform/file_time.h follows. It is the C library's (TZ, else
// /etc/localtime) unless a scope puts another in its place. Changing it is for the main thread
// before any worker starts: the C library reads TZ without a lock.
#include <string>

namespace orvande::platform {

// True for "UTC" and for the names of the system's zone database ("Europe/Berlin", "EST5EDT").
bool IsKnownTimeZone(const std::string& zone);

// The name of the zone local times are read in now: TZ as set, else the zone /etc/localtime
// links to, else "UTC" (the C library's choice when neither says anything).
std::string LocalTimeZoneName();

// Makes `zone` the local zone for its life, then puts the earlier one back.
class LocalTimeZoneScope {
 public:
  explicit LocalTimeZoneScope(const std::string& zone);
  ~LocalTimeZoneScope();
  LocalTimeZoneScope(const LocalTimeZoneScope&) = delete;
  LocalTimeZoneScope& operator=(const LocalTimeZoneScope&) = delete;

 private:
  std::string saved_;
  bool hadZone_ = false;
};

}  // namespace orvande::platform
