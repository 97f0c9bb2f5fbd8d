#pragma once
// Where a listed file's data lies in the image, for the exports that show it, found only where
// that is cheap: a location that holds sector runs (any file system), and on FAT the cluster
// chain of a live file or the contiguous clusters a deleted file is recovered from, on NTFS the
// file record's unnamed data stream (its clusters, or the record's own bytes for data kept in
// the record; holes and compressed units have no place in the image and are left out). The
// analyzer's reader is used by one thread at a time.
#include <cstdint>
#include <vector>

#include "app/export_item.h"

namespace orvande {

class ItemLocation;
class VolumeAnalyzer;

// False when the runs cannot be had cheaply. volumeOffset: the volume's first byte in the image.
bool ExportByteRuns(VolumeAnalyzer& analyzer, const ItemLocation& location, uint64_t size,
                    uint64_t volumeOffset, std::vector<ExportByteRun>* runs);

}  // namespace orvande
