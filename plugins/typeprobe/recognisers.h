#pragma once
// Signature tests: true when a buffer starts like a file of the type. They are called on every
// data cluster of a volume, so each rejects a foreign buffer after its first byte or two, and
// none reads beyond `length`. Safe from any thread.
#include <cstdint>

namespace typeprobe {

bool RecogniseJpeg(const uint8_t* buffer, uint32_t length);
bool RecognisePng(const uint8_t* buffer, uint32_t length);
bool RecogniseGif(const uint8_t* buffer, uint32_t length);
bool RecogniseBmp(const uint8_t* buffer, uint32_t length);
bool RecogniseTiff(const uint8_t* buffer, uint32_t length);
bool RecognisePdf(const uint8_t* buffer, uint32_t length);
bool RecogniseZip(const uint8_t* buffer, uint32_t length);
bool RecogniseCompoundFile(const uint8_t* buffer, uint32_t length);
bool RecogniseRar(const uint8_t* buffer, uint32_t length);
bool RecogniseSevenZip(const uint8_t* buffer, uint32_t length);
bool RecogniseMp3(const uint8_t* buffer, uint32_t length);
bool RecogniseIsoMedia(const uint8_t* buffer, uint32_t length);
bool RecogniseWav(const uint8_t* buffer, uint32_t length);
bool RecogniseAvi(const uint8_t* buffer, uint32_t length);

}  // namespace typeprobe
