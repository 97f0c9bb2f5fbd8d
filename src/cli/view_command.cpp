#include "cli/view_command.h"

#include <CLI/CLI.hpp>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <ostream>
#include <string>

#include "cli/cli_prompter.h"
#include "cli/hex_layout.h"
#include "cli/source_opener.h"
#include "disk/device_bytes.h"
#include "platform/error_numbers.h"
#include "support/result_codes.h"

namespace orvande::cli {
namespace {

std::string ResultText(uint32_t code) {
  std::string text = platform::SystemErrorText(code);
  if (!text.empty()) return text;
  char number[32];
  std::snprintf(number, sizeof number, "error 0x%08X", static_cast<unsigned>(code));
  return number;
}

class ViewCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "view", "Show sectors of SOURCE in the sector viewer's hex layout on standard output");
    sub->add_option("SOURCE", source_,
                    "Volume image file, block device, or DISK@N: partition N of a whole disk")->required();
    sub->add_option("--sector", sector_, "First sector to show (512-byte sectors)")
        ->check(CLI::Range(uint64_t{0}, kViewMaxSector))
        ->capture_default_str();
    sub->add_option("--count", count_, "Number of sectors to show")
        ->check(CLI::Range(uint32_t{1}, kViewMaxCount))
        ->capture_default_str();
    return sub;
  }

  int Run(CommandContext& context) override {
    std::string problem;
    const DiskSourceOptions defaults;
    std::unique_ptr<DeviceNode> node = MakeSourceNode(
        source_, &problem, context.diskOptions != nullptr ? *context.diskOptions : defaults);
    if (!node) return Fail(context, problem);
    DeviceRef device = OpenSourceDevice(*node, context.prompter, &problem);
    if (!device) return Fail(context, problem);
    return ShowSectors(context, *device);
  }

 private:
  static int Fail(CommandContext& context, const std::string& problem) {
    context.err << "orvande-cli: " << problem << '\n';
    return kExitFailed;
  }

  int ShowSectors(CommandContext& context, SectorDevice& device) {
    const int digits = OffsetDigits((sector_ + count_) * kViewSectorSize - 1);
    std::array<uint8_t, kViewSectorSize> buffer{};
    bool unreadable = false;
    for (uint32_t i = 0; i < count_; ++i) {
      const uint64_t sector = sector_ + i;
      const uint64_t offset = sector * kViewSectorSize;
      uint32_t result = kSuccess;
      // By bytes, so that a last partial sector of an image still shows. No fill: the viewer
      // shows an unreadable sector as such.
      uint32_t got = ReadDeviceBytes(device, offset, buffer.data(), kViewSectorSize, &result);
      if (!IsSuccess(result)) {
        WriteBlock(context, sector, nullptr, kViewSectorSize, digits);
        context.err << "orvande-cli: sector " << sector
                    << " could not be read: " << ResultText(result) << '\n';
        unreadable = true;
        continue;
      }
      if (got == 0) return EndReached(context, sector, i);
      WriteBlock(context, sector, buffer.data(), got, digits);
      if (got < kViewSectorSize) {
        if (i + 1 < count_) return EndReached(context, sector + 1, i + 1);
        break;
      }
    }
    context.out.flush();
    return unreadable ? kExitFailed : kExitOk;
  }

  static void WriteBlock(CommandContext& context, uint64_t sector, const uint8_t* bytes,
                         size_t size, int digits) {
    // Without a file system the cluster is the sector itself.
    WriteBlockHeader(context.out, sector, sector);
    WriteHexRows(context.out, sector * kViewSectorSize, bytes, size, digits);
  }

  int EndReached(CommandContext& context, uint64_t sector, uint32_t shown) {
    context.out.flush();
    if (shown == 0) {
      return Fail(context, "sector " + std::to_string(sector) + " lies beyond the end of \"" +
                               source_ + "\"");
    }
    return Fail(context, "\"" + source_ + "\" ends before sector " + std::to_string(sector) + "; " +
                             std::to_string(shown) + " of " + std::to_string(count_) +
                             " sectors shown");
  }

  std::string source_;
  uint64_t sector_ = 0;
  uint32_t count_ = 1;
};

}  // namespace

std::unique_ptr<Command> MakeViewCommand() {
  return std::make_unique<ViewCommand>();
}

}  // namespace orvande::cli
