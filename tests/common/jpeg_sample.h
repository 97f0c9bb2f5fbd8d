#pragma once
// A small baseline JPEG, as a camera card would hold one: SOI, APP0, SOF0, SOS, `entropy` bytes of
// scan data, EOI.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvande::test {

std::vector<uint8_t> SmallJpeg(size_t entropy);

}  // namespace orvande::test
