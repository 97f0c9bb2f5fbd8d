#include "app/export_item.h"

#include "platform/file_time.h"

namespace orvande {

int64_t ExportUnixSeconds(uint64_t fileTime) {
  if (fileTime == 0) return 0;
  int64_t seconds = 0;
  long nanoseconds = 0;
  platform::FileTimeToUnix(fileTime, &seconds, &nanoseconds);
  return seconds < 0 ? 0 : seconds;
}

}  // namespace orvande
