#include "disk/io_driver.h"

#include "platform/error_numbers.h"

namespace orvande {
namespace {

class NoIoDriver final : public IoDriver {
 public:
  Handle Open(uint32_t* error) override {
    Fail(error);
    return kInvalidHandle;
  }
  void Close(Handle) override {}
  uint32_t GetDriveCount(Handle, uint32_t* error) override {
    Fail(error);
    return 0;
  }
  bool GetDriveRecord(Handle, uint32_t, DriveRecord*, uint32_t* error) override {
    Fail(error);
    return false;
  }
  bool GetExtendedGeometry(Handle, uint32_t, uint32_t, ExtendedGeometry*,
                           uint32_t* error) override {
    Fail(error);
    return false;
  }
  uint32_t ReadDriveSectors(Handle, uint32_t, uint64_t, uint8_t*, uint32_t, uint32_t,
                            uint32_t* error) override {
    Fail(error);
    return 0;
  }

 private:
  static void Fail(uint32_t* error) {
    if (error) *error = platform::kErrNotSupported;
  }
};

}  // namespace

IoDriver& SystemIoDriver() {
  static NoIoDriver instance;
  return instance;
}

}  // namespace orvande
