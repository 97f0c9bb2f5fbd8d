#include "platform/time_zone.h"

#include <limits.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace orvande::platform {
namespace {

constexpr char kDefaultZoneFolder[] = "/usr/share/zoneinfo";
constexpr char kLocalTimeLink[] = "/etc/localtime";
constexpr char kZoneFolderMark[] = "zoneinfo/";
constexpr char kZoneFileMagic[] = "TZif";

std::string ZoneFolder() {
  const char* folder = getenv("TZDIR");
  return folder != nullptr && *folder != '\0' ? folder : kDefaultZoneFolder;
}

// Zone names are relative paths inside the database: no way out of it.
bool IsZoneNameShape(const std::string& zone) {
  return !zone.empty() && zone.front() != '/' && zone.find("..") == std::string::npos;
}

bool IsZoneFile(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char magic[sizeof kZoneFileMagic - 1] = {};
  const bool zoneFile = std::fread(magic, 1, sizeof magic, file) == sizeof magic &&
                        std::memcmp(magic, kZoneFileMagic, sizeof magic) == 0;
  std::fclose(file);
  return zoneFile;
}

}  // namespace

bool IsKnownTimeZone(const std::string& zone) {
  if (zone == "UTC") return true;
  return IsZoneNameShape(zone) && IsZoneFile(ZoneFolder() + "/" + zone);
}

std::string LocalTimeZoneName() {
  if (const char* zone = getenv("TZ"); zone != nullptr && *zone != '\0')
    return zone[0] == ':' ? zone + 1 : zone;
  char target[PATH_MAX];
  const ssize_t length = readlink(kLocalTimeLink, target, sizeof target - 1);
  if (length <= 0) return access(kLocalTimeLink, F_OK) == 0 ? "local" : "UTC";
  const std::string link(target, static_cast<size_t>(length));
  const size_t mark = link.rfind(kZoneFolderMark);
  return mark == std::string::npos ? link : link.substr(mark + sizeof kZoneFolderMark - 1);
}

LocalTimeZoneScope::LocalTimeZoneScope(const std::string& zone) {
  if (const char* old = getenv("TZ")) {
    saved_ = old;
    hadZone_ = true;
  }
  setenv("TZ", zone.c_str(), 1);
  tzset();
}

LocalTimeZoneScope::~LocalTimeZoneScope() {
  if (hadZone_)
    setenv("TZ", saved_.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace orvande::platform
