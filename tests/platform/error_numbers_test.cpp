#include "platform/error_numbers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "support/formatters.h"
#include "support/system_hooks.h"

namespace orvande::platform {
namespace {

TEST(ErrorNumbersTest, ErrnoValuesTheLogicKeysOnGetTheirWindowsNumbers) {
  // EIO is 5 on Linux; passed through it would read as "access denied".
  EXPECT_EQ(ErrorFromErrno(EIO), 23u);
  EXPECT_EQ(ErrorFromErrno(EBADMSG), 23u);
  EXPECT_EQ(ErrorFromErrno(ENODATA), 23u);
  EXPECT_EQ(ErrorFromErrno(EACCES), 5u);
  EXPECT_EQ(ErrorFromErrno(EPERM), 5u);
  EXPECT_EQ(ErrorFromErrno(ENOMEM), 8u);
  EXPECT_EQ(ErrorFromErrno(ENOSPC), 112u);
  EXPECT_EQ(ErrorFromErrno(EDQUOT), 112u);
  EXPECT_EQ(ErrorFromErrno(ENOENT), 2u);
  EXPECT_EQ(ErrorFromErrno(ENOTDIR), 3u);
  EXPECT_EQ(ErrorFromErrno(0), 0u);
}

TEST(ErrorNumbersTest, UnmappedErrnoKeepsItsOwnTextAndNeverLooksLikeAPlatformNumber) {
  uint32_t code = ErrorFromErrno(ECHILD);
  EXPECT_GE(code, 65000u);  // the log shows it as a code, not as a wrong system text
  EXPECT_EQ(ErrnoFromError(code), ECHILD);
  EXPECT_EQ(SystemErrorText(code), std::strerror(ECHILD));
}

TEST(ErrorNumbersTest, TextOfAMappedCodeIsTheLinuxTextBehindIt) {
  EXPECT_EQ(SystemErrorText(23), std::strerror(EIO));
  EXPECT_EQ(SystemErrorText(5), std::strerror(EACCES));
  EXPECT_EQ(SystemErrorText(0x85670A02), "");
}

TEST(ErrorNumbersTest, TheSupportLayerSeesTheseTextsOnceThePlatformIsLinked) {
  InstallSystemHooks();
  EXPECT_EQ(PlatformErrorText(112), std::strerror(ENOSPC));
  EXPECT_EQ(FormatOsVersion().rfind("Linux ", 0), 0u);
}

}  // namespace
}  // namespace orvande::platform
