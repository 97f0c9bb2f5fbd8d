// orvande-open-device PATH: run as root (through pkexec), opens the block device PATH (a full
// path) read-only and sends the descriptor over its standard output, which must be a Unix socket;
// then ends. Nothing but block devices is opened, and never for writing.
#include <cstdio>
#include <string>

#include "platform/device_access.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fputs("usage: orvande-open-device BLOCK-DEVICE\n", stderr);
    return orvande::platform::kHelperUsage;
  }
  const int status = orvande::platform::RunOpenDeviceHelper(argv[1], 1);
  if (status == orvande::platform::kHelperUsage)
    std::fprintf(stderr, "orvande-open-device: %s is not a full path\n", argv[1]);
  else if (status == orvande::platform::kHelperNotBlockDevice)
    std::fprintf(stderr, "orvande-open-device: %s is not a block device\n", argv[1]);
  else if (status != orvande::platform::kHelperGranted)
    std::fprintf(stderr, "orvande-open-device: cannot open %s\n", argv[1]);
  return status;
}
