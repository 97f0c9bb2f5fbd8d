#pragma once
// Holds one reference to a SectorDevice and drops it when it goes away. Not for sharing between
// threads (the device's own count is atomic; this holder is not).
#include <utility>

#include "disk/sector_device.h"

namespace orvande {

class DeviceRef {
 public:
  DeviceRef() = default;
  // Takes over a reference the caller already holds (as CreateDevice hands out).
  explicit DeviceRef(SectorDevice* adopted) : device_(adopted) {}
  DeviceRef(const DeviceRef& other) : device_(other.device_) {
    if (device_) device_->AddRef();
  }
  DeviceRef(DeviceRef&& other) noexcept : device_(std::exchange(other.device_, nullptr)) {}
  DeviceRef& operator=(DeviceRef other) noexcept {
    std::swap(device_, other.device_);
    return *this;
  }
  ~DeviceRef() {
    if (device_) device_->Release();
  }

  SectorDevice* get() const { return device_; }
  SectorDevice* operator->() const { return device_; }
  SectorDevice& operator*() const { return *device_; }
  explicit operator bool() const { return device_ != nullptr; }

 private:
  SectorDevice* device_ = nullptr;
};

}  // namespace orvande
