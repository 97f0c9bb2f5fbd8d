#include "app/disk_partition_source.h"

#include "app/disk_partition_list.h"
#include "app/remembered_partitions.h"
#include "disk/partition_node.h"
#include "disk/partitions_file.h"
#include "disk/partitions_file_messages.h"
#include "platform/error_numbers.h"
#include "support/format.h"

namespace orvande {

std::string PartitionsLoadProblem(const std::string& file, ResultCode result) {
  std::string reason = result == ErrInvalidPartitionsData ? std::string(ovp_texts::kInvalidData)
                                                          : platform::SystemErrorText(result);
  if (reason.empty()) reason = Format("code=0x%08x", result);
  return "\"" + file + "\": " + reason;
}

std::optional<DiskWithPartitions> OpenDiskWithPartitions(const std::string& path,
                                                         const DiskSourceOptions& options,
                                                         std::string* problem) {
  std::optional<OpenedDisk> opened = OpenNamedDisk(path, options.imageSectorSize, problem);
  if (!opened) return std::nullopt;
  DiskWithPartitions result{std::move(*opened), options.partitionsFile};
  if (result.listFile.empty()) {
    result.listFile = RememberedPartitionsFile(result.disk.canonicalPath, result.disk.SizeBytes());
  }
  int added = 0;
  const ResultCode loaded = options.partitionsFile.empty()
                                ? RecallPartitions(*result.disk.node, result.listFile, &added)
                                : LoadPartitions(*result.disk.node, result.listFile, &added);
  if (!IsSuccess(loaded)) {
    *problem = PartitionsLoadProblem(result.listFile, loaded);
    return std::nullopt;
  }
  return result;
}

std::unique_ptr<PartitionNode> PickDiskPartition(DiskWithPartitions& disk, uint32_t number,
                                                 std::string* problem) {
  const std::vector<NumberedPartition> listed = ListDiskPartitions(*disk.disk.node);
  if (number == 0 || number > listed.size()) {
    *problem = listed.empty()
                   ? Format("\"%s\" has no partition %u: it lists none (try find-partitions)",
                            disk.disk.node->GetName().c_str(), number)
                   : Format("\"%s\" has no partition %u: its partitions are numbered 1 to %zu",
                            disk.disk.node->GetName().c_str(), number, listed.size());
    return nullptr;
  }
  return std::make_unique<PartitionNode>(*listed[number - 1].node);
}

}  // namespace orvande
