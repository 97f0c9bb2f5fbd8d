#pragma once
// Status codes of the NTFS analyzer, the code texts that name where a decoding fault was caught,
// and the analyzer's own log texts. Constants only: safe to use from any thread.
#include <cinttypes>
#include <cstdint>

#include "support/result_codes.h"

namespace orvande {

inline constexpr ResultCode kStatusNtfsFault = 0x85670002;
inline constexpr ResultCode kStatusOutsideVolume = ErrBadPosition;  // 0x85670A04
inline constexpr ResultCode kStatusMftStalled = 0x85670A07;
inline constexpr ResultCode kStatusNoMftData = 0x85670B02;
inline constexpr ResultCode kStatusShortDirectRead = 0x85670B05;
inline constexpr ResultCode kStatusNoFileSignature = 0x85670B06;
inline constexpr ResultCode kStatusDirectRecordTooSmall = 0x85670B08;
inline constexpr ResultCode kStatusShortMftRead = 0x85670B09;
inline constexpr ResultCode kStatusMftRecordTooSmall = 0x85670B0A;
inline constexpr ResultCode kStatusNotUsableRecord = 0x85670B0B;
inline constexpr ResultCode kStatusRecordTooLarge = 0x85670B0C;
inline constexpr ResultCode kStatusInvalidCompressedData = 0x85670B0D;
inline constexpr ResultCode kStatusMftStreamReadFailed = 0x85670B0E;
inline constexpr ResultCode kStatusUsedSizeTooLarge = 0x85670B0F;

// Device statuses the cluster reader tells apart.
inline constexpr ResultCode kStatusSectorNotFound = 0x1B;

namespace ntfs_codes {
inline constexpr char kOpenDirect[] = "code NVI94";
inline constexpr char kOpenThroughRuns[] = "code NVI109";
inline constexpr char kProbabilityThroughMft[] = "code NVI622";
inline constexpr char kProbabilityDirect[] = "code NVI645";
inline constexpr char kDirectFirstRead[] = "code NFR107";
inline constexpr char kDirectRecordRead[] = "code NFR197";
inline constexpr char kDirectUpdateSequence[] = "code NFR227";
inline constexpr char kDirectListCheck[] = "code NFR255";
inline constexpr char kMftFirstRead[] = "code NFR306";
inline constexpr char kMftRecordRead[] = "code NFR396";
inline constexpr char kMftUpdateSequence[] = "code NFR423";
inline constexpr char kMftAttributeList[] = "code NFR447";
inline constexpr char kTreeDataSize[] = "code NFR2156";
inline constexpr char kProbabilityRunScan[] = "code NFR2490";
inline constexpr char kProbabilityListWalk[] = "code NFR2547";
}  // namespace ntfs_codes

namespace ntfs_texts {
inline constexpr char kBadGeometryFormat[] = "Sectors in cluster: %d  Bytes per sector: %d";
inline constexpr char kRecordReadErrorFormat[] =
    "File record read error: %x\r\n MFT: 0x%016" PRIx64 "  Cluster: %x";
inline constexpr char kVolumeSizeFormat[] = "Volume size: 0x%016" PRIx64 " sectors";
inline constexpr char kClusterSizeFormat[] = "Cluster size: %d";
inline constexpr char kCurrentSectorFormat[] = "Current sector: 0x%016" PRIx64;
inline constexpr char kCurrentCompressedSectorFormat[] =
    "Current sector(compressed): 0x%016" PRIx64;
inline constexpr char kReadErrorFormat[] = "ext attribute read error: %x";
inline constexpr char kCompressedReadErrorFormat[] = "compressed sector read error: %x";
inline constexpr char kSectorFormat[] = "Sector: 0x%016" PRIx64;
inline constexpr char kLcnDumpTitle[] = "LCNs";
inline constexpr char kDecompressErrorFormat[] = "decompressing error: %x";
inline constexpr char kCantCreateFileFormat[] = "Can't create file \"%s\".";
inline constexpr char kRunListRefusedFormat[] =
    "Run list of attribute 0x%X in the record at %s 0x%016" PRIx64 " refused: %s.";
}  // namespace ntfs_texts

}  // namespace orvande
