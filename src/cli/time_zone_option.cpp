#include "cli/time_zone_option.h"

#include <CLI/CLI.hpp>

namespace orvande::cli {
namespace {

std::string CheckZone(const std::string& zone) {
  return platform::IsKnownTimeZone(zone)
             ? std::string()
             : "unknown time zone '" + zone + "' (a name such as UTC or Europe/Berlin)";
}

}  // namespace

void TimeZoneOption::Register(CLI::App* sub) {
  sub->add_option("--tz", zone_,
                  "FAT volumes keep local times: read them as times of ZONE (UTC, "
                  "Europe/Berlin, ...) instead of this machine's zone (TZ, else /etc/localtime)")
      ->type_name("ZONE")
      ->check(CheckZone);
}

std::unique_ptr<platform::LocalTimeZoneScope> TimeZoneOption::Apply() const {
  if (zone_.empty()) return nullptr;
  return std::make_unique<platform::LocalTimeZoneScope>(zone_);
}

}  // namespace orvande::cli
