#include "disk/sector_size_io.h"

namespace orvande {
platform::RawIo::Handle SectorSizeIo::OpenReadOnly(const std::string& path, uint32_t* error) {
  return inner_.OpenReadOnly(path, error);
}

void SectorSizeIo::Close(Handle handle) {
  inner_.Close(handle);
}

bool SectorSizeIo::ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size,
                          size_t* bytesRead, uint32_t* error) {
  return inner_.ReadAt(handle, offset, buffer, size, bytesRead, error);
}

bool SectorSizeIo::ReadDirectAt(Handle handle, uint64_t offset, void* buffer, size_t size,
                                size_t* bytesRead, uint32_t* error) {
  return inner_.ReadDirectAt(handle, offset, buffer, size, bytesRead, error);
}

bool SectorSizeIo::QueryGeometry(Handle handle, platform::BlockGeometry* geometry,
                                 uint32_t* error) {
  if (!inner_.QueryGeometry(handle, geometry, error)) return false;
  geometry->bytesPerSector = sectorSize_;
  const uint64_t perCylinder =
      uint64_t{geometry->tracksPerCylinder} * geometry->sectorsPerTrack * sectorSize_;
  geometry->cylinders = perCylinder != 0 ? geometry->sizeBytes / perCylinder : 0;
  return true;
}

}  // namespace orvande
