#include "platform/volume_probe.h"

#include <blkid.h>

#include <memory>
#include <type_traits>

namespace orvande::platform {
namespace {

struct ProbeDeleter {
  void operator()(blkid_probe probe) const { blkid_free_probe(probe); }
};
using ProbePtr = std::unique_ptr<std::remove_pointer_t<blkid_probe>, ProbeDeleter>;

std::string Value(blkid_probe probe, const char* name) {
  const char* data = nullptr;
  if (blkid_probe_lookup_value(probe, name, &data, nullptr) != 0 || data == nullptr) return {};
  return data;
}

}  // namespace

std::optional<VolumeFacts> ProbeVolume(const std::string& devicePath) {
  ProbePtr probe(blkid_new_probe_from_filename(devicePath.c_str()));
  if (!probe) return std::nullopt;
  blkid_probe_enable_superblocks(probe.get(), 1);
  blkid_probe_set_superblocks_flags(probe.get(),
                                    BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
  blkid_probe_enable_partitions(probe.get(), 1);
  if (blkid_do_safeprobe(probe.get()) < 0) return std::nullopt;
  VolumeFacts facts;
  facts.fsType = Value(probe.get(), "TYPE");
  facts.fsVersion = Value(probe.get(), "VERSION");
  facts.label = Value(probe.get(), "LABEL");
  facts.partitionTable = !Value(probe.get(), "PTTYPE").empty();
  return facts;
}

}  // namespace orvande::platform
