#pragma once
// What the front ends say about the file system an analyzer reads. Kept in one place, as they
// depend on the concrete analyzers. Safe from any thread once the analyzer is open.
#include <string>

namespace orvande {

class VolumeAnalyzer;

// "FAT12", "FAT16", "FAT32", "NTFS", or "unknown".
std::string FileSystemName(VolumeAnalyzer& analyzer);

// True when names on the volume compare without regard to case (FAT).
bool NamesIgnoreCase(const VolumeAnalyzer& analyzer);

}  // namespace orvande
