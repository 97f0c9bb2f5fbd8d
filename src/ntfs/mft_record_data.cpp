// Reading attribute data of MftRecord: resident values, and non-resident data cluster by cluster
// through the runs, sparse units, compressed units and extension records.
//
// The reading is defined cluster by cluster (ReadCluster, then ReadClusterByName when the VCN is
// not mapped by the attribute itself). Where a stretch of clusters maps alike (one run, same
// source) and reads without any failure, it is read in one request instead; the outcome is the
// same. Anything else - compressed units, clusters outside the volume, failing reads - goes the
// cluster-by-cluster way with its messages.
#include <algorithm>
#include <cstring>
#include <new>

#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;

}  // namespace

uint32_t MftRecord::ReadMapped(const VcnMapping& mapping, uint8_t* cluster, uint32_t* status,
                               OperationLog* log) {
  if (mapping.compressed)
    return analyzer_->Clusters().ReadCompressed(mapping, cluster, status, log);
  if (mapping.sparse) {
    std::memset(cluster, 0, analyzer_->BytesPerCluster());
    return analyzer_->BytesPerCluster();
  }
  return analyzer_->Clusters().ReadOne(mapping.lcn, cluster, status, log);
}

uint32_t MftRecord::ReadCluster(const Attribute& attribute, uint64_t vcn, uint8_t* cluster,
                                uint32_t* status, OperationLog* log) {
  *status = kSuccess;
  VcnMapping mapping;
  if (!MapVcn(attribute, vcn, &mapping, true, log)) return 0;
  return ReadMapped(mapping, cluster, status, log);
}

uint32_t MftRecord::ReadClusterByName(uint32_t type, const AttributeName& name, uint64_t vcn,
                                      uint8_t* cluster, uint32_t* status, OperationLog* log) {
  *status = kSuccess;
  VcnMapping mapping;
  if (!MapVcnByName(type, name, vcn, &mapping, true, log)) return 0;
  return ReadMapped(mapping, cluster, status, log);
}

bool MftRecord::ReadResident(const Attribute& attribute, uint8_t* destination, uint64_t offset,
                             uint64_t length, uint64_t* bytesRead) const {
  if (!attribute.HeaderFits(attribute_header::kResidentHeaderSize)) return false;
  const size_t valueStart = size_t{attribute.Offset()} + attribute.ValueOffset();
  const uint64_t valueLength = attribute.ValueLength();
  if (!LeReader(attribute.Record()).Fits(valueStart, valueLength)) return false;
  if (offset >= valueLength) return true;
  const uint64_t count = std::min(length, valueLength - offset);
  std::memcpy(destination, attribute.Record().data() + valueStart + offset, count);
  *bytesRead = count;
  return true;
}

bool MftRecord::ReadAttribute(const Attribute& attribute, uint8_t* destination, uint64_t offset,
                              uint64_t length, uint64_t* bytesRead, OperationLog* log) {
  uint64_t localRead = 0;
  if (bytesRead == nullptr) bytesRead = &localRead;
  *bytesRead = 0;
  if (length == 0) return true;
  if (!attribute.HeaderFits(attribute_header::kWalkHeaderSize)) return false;
  if (!attribute.NonResident())
    return ReadResident(attribute, destination, offset, length, bytesRead);
  if (!BelongsHere(attribute)) return false;
  return ReadNonResident(&attribute, attribute.Type(), AttributeName::None(), destination, offset,
                         length, bytesRead, log);
}

bool MftRecord::ReadOneClusterStep(const Attribute* attribute, uint32_t type,
                                   const AttributeName& name, uint64_t vcn, uint32_t inCluster,
                                   uint64_t take, uint8_t* destination, OperationLog* log) {
  const uint32_t clusterBytes = analyzer_->BytesPerCluster();
  clusterScratch_.resize(clusterBytes);
  uint8_t* cluster = clusterScratch_.data();
  uint32_t status = kSuccess;
  uint32_t got = 0;
  if (attribute != nullptr) {
    got = ReadCluster(*attribute, vcn, cluster, &status, log);
    if (got == 0 && !IsSuccess(status)) return false;
  }
  if (got == 0) {
    if (attribute != nullptr) {
      if (!attribute->NameFits()) return false;
      got = ReadClusterByName(type, AttributeName::Of(attribute->NameBytes()), vcn, cluster,
                              &status, log);
    } else {
      got = ReadClusterByName(type, name, vcn, cluster, &status, log);
    }
    if (got == 0) return false;
  }
  if (got < inCluster + take) return false;
  std::memcpy(destination, cluster + inCluster, take);
  return true;
}

bool MftRecord::ReadNonResident(const Attribute* attribute, uint32_t type,
                                const AttributeName& name, uint8_t* destination, uint64_t offset,
                                uint64_t length, uint64_t* bytesRead, OperationLog* log) {
  const uint64_t clusterBytes = analyzer_->BytesPerCluster();
  if (clusterBytes == 0) return false;
  ClusterReader& clusters = analyzer_->Clusters();
  while (length > 0) {
    const uint64_t vcn = offset / clusterBytes;
    const uint64_t inCluster = offset % clusterBytes;
    const uint64_t wanted = (inCluster + length + clusterBytes - 1) / clusterBytes;

    VcnMapping mapping;
    bool mapped = false;
    uint64_t ownUnmapped = kUnboundedRun;
    if (attribute != nullptr) {
      mapped = MapVcn(*attribute, vcn, &mapping, false, log);
      if (!mapped) ownUnmapped = mapping.unmapped;
    }
    if (!mapped) {
      if (attribute != nullptr) {
        if (!attribute->NameFits()) return false;
        mapped = MapVcnByName(type, AttributeName::Of(attribute->NameBytes()), vcn, &mapping, false,
                              log);
      } else {
        mapped = MapVcnByName(type, name, vcn, &mapping, false, log);
      }
      if (!mapped) return false;
      mapping.alike = std::min(mapping.alike, ownUnmapped);
    }

    uint64_t batch = 0;
    if (!mapping.compressed && (mapping.sparse || mapping.lcn >= 0)) {
      batch = std::min(mapping.alike, wanted);
      if (!mapping.sparse)
        batch = std::min({batch, clusters.MaxBatch(), clusters.ClustersInVolumeFrom(mapping.lcn)});
    }
    if (batch > 0) {
      const uint64_t bytes = std::min(length, batch * clusterBytes - inCluster);
      bool done = true;
      if (mapping.sparse) {
        std::memset(destination, 0, bytes);
      } else {
        done = clusters.ReadRange(mapping.lcn, batch, inCluster, bytes, destination,
                                  std::min(mapping.alike, clusters.MaxBatch()));
      }
      if (done) {
        destination += bytes;
        offset += bytes;
        length -= bytes;
        *bytesRead += bytes;
        continue;
      }
    }
    // Cluster by cluster, over the whole stretch when a request for it failed.
    const uint64_t steps = std::max<uint64_t>(batch, 1);
    for (uint64_t i = 0; i < steps && length > 0; ++i) {
      const uint64_t stepIn = offset % clusterBytes;
      const uint64_t take = std::min(length, clusterBytes - stepIn);
      if (!ReadOneClusterStep(attribute, type, name, offset / clusterBytes,
                              static_cast<uint32_t>(stepIn), take, destination, log))
        return false;
      destination += take;
      offset += take;
      length -= take;
      *bytesRead += take;
    }
  }
  return true;
}

bool MftRecord::ReadResidentExtension(uint32_t type, const AttributeName& name,
                                      uint8_t* destination, uint64_t offset, uint64_t length,
                                      uint64_t* bytesRead) const {
  AttributeListWalk walk(attributeList_);
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() != type || !entry->HasName(name)) continue;
    std::optional<uint64_t> position = entry->RecordPosition(recordSize_);
    const MftRecord* extension = position ? FindExtension(*position) : nullptr;
    if (extension == nullptr) return false;
    std::optional<Attribute> attribute = extension->FindAttribute(type, name);
    if (!attribute || attribute->NonResident()) return false;
    return extension->ReadResident(*attribute, destination, offset, length, bytesRead);
  }
  return false;
}

bool MftRecord::ReadStream(uint32_t type, const AttributeName& name, uint8_t* destination,
                           uint64_t offset, uint64_t length, uint64_t* bytesRead,
                           OperationLog* log) {
  uint64_t localRead = 0;
  if (bytesRead == nullptr) bytesRead = &localRead;
  *bytesRead = 0;
  if (std::optional<Attribute> attribute = FindAttribute(type, name))
    return ReadAttribute(*attribute, destination, offset, length, bytesRead, log);
  if (location_.Kind() != kKindMft || !HasUsableAttributeList()) return true;
  bool listed = false;
  AttributeListWalk walk(attributeList_);
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() == type && entry->HasName(name)) {
      listed = true;
      break;
    }
  }
  if (!listed) return true;
  // A small value moved to an extension record stays resident there; it has no clusters.
  if (ReadResidentExtension(type, name, destination, offset, length, bytesRead)) return true;
  return ReadNonResident(nullptr, type, name, destination, offset, length, bytesRead, log);
}

}  // namespace orvande
