#pragma once
// Collects where a file's bytes lie in the image, in file order: each range added or skipped
// takes the next bytes of the file, until its size is met. Touching ranges are joined. A value
// used by one thread.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/export_item.h"

namespace orvande {

class RunCollector {
 public:
  RunCollector(uint64_t size, uint64_t volumeOffset, std::vector<ExportByteRun>* runs)
      : left_(size), volumeOffset_(volumeOffset), runs_(runs) {}

  bool Full() const { return left_ == 0; }
  uint64_t FileOffset() const { return fileOffset_; }

  // The next `length` bytes of the file are the volume's bytes from volumeByte on.
  void Add(uint64_t volumeByte, uint64_t length) {
    length = std::min(length, left_);
    if (length == 0) return;
    const uint64_t imageOffset = volumeOffset_ + volumeByte;
    if (!runs_->empty() && runs_->back().imageOffset + runs_->back().length == imageOffset &&
        runs_->back().fileOffset + runs_->back().length == fileOffset_) {
      runs_->back().length += length;
    } else {
      runs_->push_back({fileOffset_, imageOffset, length});
    }
    Advance(length);
  }

  // The next `length` bytes of the file lie nowhere in the image as they are (a hole, or data
  // kept compressed): no run tells them.
  void Skip(uint64_t length) { Advance(std::min(length, left_)); }

 private:
  void Advance(uint64_t length) {
    fileOffset_ += length;
    left_ -= length;
  }

  uint64_t left_;
  uint64_t volumeOffset_;
  std::vector<ExportByteRun>* runs_;
  uint64_t fileOffset_ = 0;
};

}  // namespace orvande
