#pragma once
// Sets TZ for the life of the object and puts the old setting back afterwards. Local times on
// FAT volumes depend on it.
#include <cstdlib>
#include <ctime>
#include <string>

namespace orvande::test {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
      saved_ = old;
      hadZone_ = true;
    }
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (hadZone_)
      setenv("TZ", saved_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::string saved_;
  bool hadZone_ = false;
};

}  // namespace orvande::test
