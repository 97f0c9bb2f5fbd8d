// The order in which read access to a device is sought, and what a granted route leaves behind.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/device_access_request.h"
#include "platform/device_access.h"

namespace orvande {
namespace {

// A route that is there or not and that grants (a descriptor of /dev/zero) or refuses.
struct FakeRoute final : DeviceAccessRoute {
  FakeRoute(bool available, bool grants) : available(available), grants(grants) {}
  bool Available() override { return available; }
  int Open(const std::string&, uint32_t* error) override {
    ++opens;
    *error = grants ? 0 : 5;
    return grants ? open("/dev/zero", O_RDONLY | O_CLOEXEC) : -1;
  }
  bool available, grants;
  int opens = 0;
};

TEST(DeviceAccessRequest, TriesAvailableRoutesInOrderUntilOneGrants) {
  struct Case {
    bool serviceThere, serviceGrants, helperThere, granted;
    int serviceOpens, helperOpens;
  } cases[] = {
      {true, true, true, true, 1, 0},     // the service grants: the helper is not asked
      {true, false, true, true, 1, 1},    // refused by the service: the helper is next
      {false, true, true, true, 0, 1},    // no service on the bus
      {false, false, false, false, 0, 0}, // nothing to ask
  };
  for (const Case& c : cases) {
    FakeRoute service(c.serviceThere, c.serviceGrants);
    FakeRoute helper(c.helperThere, true);
    EXPECT_EQ(AuthorizeDeviceRead("/dev/fake0", {&service, &helper}), c.granted);
    EXPECT_EQ(service.opens, c.serviceOpens);
    EXPECT_EQ(helper.opens, c.helperOpens);
    const int copy = platform::GrantedDeviceDescriptor("/dev/fake0");
    EXPECT_EQ(copy >= 0, c.granted);
    if (copy >= 0) close(copy);
    platform::DropDeviceGrants();
  }
}

TEST(DeviceAccessRequest, HelperRouteNeedsBothPrograms) {
  EXPECT_FALSE(HelperAccessRoute("", "").Available());
  EXPECT_FALSE(HelperAccessRoute("/nonexistent/orvande-open-device", "").Available());
  EXPECT_FALSE(HelperAccessRoute("/bin/sh", "no-such-elevator-program").Available());
  EXPECT_TRUE(HelperAccessRoute("/bin/sh", "").Available());
}

}  // namespace
}  // namespace orvande
