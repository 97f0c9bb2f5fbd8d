#pragma once
// The file an image is written to, with the file-system questions the image job asks around it
// (free space, deletion). The default acts on a real file; tests derive from it to fake a full
// disk. One thread at a time: the command before and after the worker, the worker in between.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/output_file.h"

namespace orvande {

class ImageTarget {
 public:
  virtual ~ImageTarget() = default;

  // Bytes free for the user in the folder; the largest signed 64-bit value when nobody can tell,
  // so that no warning is given.
  virtual uint64_t FreeSpace(const std::string& folder);
  // Creates the file, replacing an existing one. 0 or a platform error code.
  virtual uint32_t Create(const std::string& path);
  virtual uint32_t Write(const void* data, size_t size, size_t* written);
  virtual uint32_t Seek(uint64_t offset);
  virtual uint32_t SetSize(uint64_t size);
  virtual uint32_t Close();
  virtual uint32_t Remove(const std::string& path);

 private:
  platform::OutputFile file_;
};

}  // namespace orvande
