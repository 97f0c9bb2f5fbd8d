#pragma once
// --tz ZONE, which analyze and recover share: the zone FAT volumes' local times are read in.
// Main thread only.
#include <memory>
#include <string>

#include "platform/time_zone.h"

namespace CLI {
class App;
}  // namespace CLI

namespace orvande::cli {

class TimeZoneOption {
 public:
  void Register(CLI::App* sub);
  // Puts the chosen zone in place for the command's life; null when none was chosen.
  std::unique_ptr<platform::LocalTimeZoneScope> Apply() const;
  // The zone FAT times are read in, once Apply has run.
  static std::string ZoneInUse() { return platform::LocalTimeZoneName(); }

 private:
  std::string zone_;
};

}  // namespace orvande::cli
