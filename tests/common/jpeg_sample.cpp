#include "common/jpeg_sample.h"

namespace orvande::test {

std::vector<uint8_t> SmallJpeg(size_t entropy) {
  std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I',  'F',  0,
                               1,    1,    0,    0,    1,    0,    1,   0,   0,    0xFF, 0xC0,
                               0x00, 0x0B, 8,    0,    16,   0,    16,  1,   1,    0x11, 0,
                               0xFF, 0xDA, 0x00, 0x08, 1,    1,    0,   0,   0x3F, 0};
  file.insert(file.end(), entropy, 0x5A);
  file.push_back(0xFF);
  file.push_back(0xD9);
  return file;
}

}  // namespace orvande::test
