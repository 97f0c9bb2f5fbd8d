#pragma once
// The whole disks of the machine, numbered the way raw disk numbers count them: the block devices
// listed under /sys/block that are disks (sd*, hd*, vd*, xvd*, nvme*n*, mmcblk*, and loop devices
// that have a backing file), in natural name order (loop2 before loop10). Safe from any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace orvande {

inline constexpr const char* kSysBlockFolder = "/sys/block";

// Device names ("sda", "nvme0n1", "loop0"), sorted; empty when the folder cannot be read.
std::vector<std::string> ListWholeDisks(const std::string& sysBlockFolder = kSysBlockFolder);

// "/dev/<name>" of disk `number`, or empty when there is no such disk.
std::string WholeDiskPath(uint32_t number, const std::string& sysBlockFolder = kSysBlockFolder);

// True when a sorts before b with runs of digits compared by value.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace orvande
