#pragma once
// Which physical disks the lost partition search offers, and the texts it lists them with.
// Shared by every front end. Call from one thread at a time per disk (each disk is opened).
#include <cstdint>
#include <string>
#include <vector>

namespace orvande {

class PhysicalDiskNode;
class Prompter;

// Smaller disks can't hold a volume worth searching for.
inline constexpr uint64_t kMinSearchDiskBytes = 1048576;

struct SearchDiskEntry {
  PhysicalDiskNode* disk = nullptr;
  uint64_t sizeBytes = 0;
  std::string text;  // "name (size)"
};

// "%s (%s)": the disk's name and its size as FormatSize text.
std::string SearchDiskText(const std::string& name, uint64_t sizeBytes);
bool DiskQualifiesForSearch(uint64_t sizeBytes);

// The disks whose devices open quietly and hold at least kMinSearchDiskBytes, in the given order.
std::vector<SearchDiskEntry> ListSearchDisks(const std::vector<PhysicalDiskNode*>& disks);

// With no disk to offer, says "Can't detect any hard drive." and returns false.
bool OfferSearchDisks(const std::vector<SearchDiskEntry>& entries, Prompter& prompter);

}  // namespace orvande
