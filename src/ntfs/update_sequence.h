#pragma once
// The update sequence of a multi-sector record: the last two bytes of each sector were swapped
// for a sequence number on disk and are put back from the array in the header. Safe to use from
// any thread.
#include <cstdint>
#include <span>

namespace orvande {

// Puts the replacement words back into `record` (its first recordSize bytes count as the record),
// one at the end of each sector, or of each 512 bytes when the number of words says so.
// The overwritten bytes are not compared with the sequence number: a record torn by an
// interrupted write is used as it reads. False when the array or a sector lies outside the
// record; the words already put back stay.
// The bytes each replacement word protects: the sector, or 512 when the record's count of words
// (the sequence number included) says it was written that way.
uint64_t UpdateSequenceStride(uint32_t recordSize, uint32_t bytesPerSector, uint32_t count);
bool ApplyUpdateSequence(std::span<uint8_t> record, uint32_t recordSize, uint32_t bytesPerSector);

}  // namespace orvande
