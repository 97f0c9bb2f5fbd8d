#pragma once
// Read access to a block device through the desktop's disk service on the system bus: the
// service resolves the device, asks polkit for the user's consent and returns a read-only
// descriptor. Unavailable without a system bus or without the service. User-interface thread.
#include <string>

#include "app/device_access_request.h"

class QWidget;

namespace orvande::gui {

class UDisksAccessRoute final : public DeviceAccessRoute {
 public:
  bool Available() override;
  int Open(const std::string& path, uint32_t* error) override;
};

// Asks whether to authorise read access to devicePath and, on Yes, tries the disk service,
// then the helper (found beside the program in programFolder). True when access was granted.
bool OfferDeviceAccessFromWindow(QWidget* parent, const std::string& devicePath,
                                 const std::string& programFolder);

}  // namespace orvande::gui
