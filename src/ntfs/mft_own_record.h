#pragma once
// Recognises the MFT's own record in a raw record buffer, for the lost partition search. Safe to
// use from any thread.
#include <cstddef>
#include <cstdint>

namespace orvande {

// True when the buffer's attributes, walked up to the first $FILE_NAME, lead to a resident
// $FILE_NAME named "$MFT". The "FILE" signature and the update sequence are not looked at.
bool IsMftOwnRecord(const uint8_t* buffer, size_t size);

}  // namespace orvande
