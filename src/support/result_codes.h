#pragma once
// 32-bit result codes shared by every layer. 0 and 0x05670000 are successes; platform error
// numbers (Windows numbering, see platform/error_numbers.h) pass through unchanged.
#include <cstdint>

namespace orvande {

using ResultCode = uint32_t;

inline constexpr ResultCode kSuccess = 0;
inline constexpr ResultCode kSuccessAlt = 0x05670000;

// Platform error numbers the system's logic keys on.
inline constexpr ResultCode kErrFileNotFound = 2;
inline constexpr ResultCode kErrAccessDenied = 5;
inline constexpr ResultCode kErrOutOfMemory = 8;
inline constexpr ResultCode ErrDataError = 23;
inline constexpr ResultCode kErrDiskFull = 112;

// Sector devices.
inline constexpr ResultCode ErrNotOpen = 0x85670A02;
inline constexpr ResultCode ErrBadPosition = 0x85670A04;
inline constexpr ResultCode ErrUnsupportedAccess = 0x85670A05;
inline constexpr ResultCode ErrBufferTooSmall = 0x85670A06;
inline constexpr ResultCode ErrNotAvailable = 0x85670004;

// Partitions information file: not such a file, or a malformed record.
inline constexpr ResultCode ErrInvalidPartitionsData = 0x85670E02;

// Analysis core.
inline constexpr ResultCode kStatusNoDevice = 0x85670A00;
inline constexpr ResultCode kStatusNoAnalyzer = 0x85670A01;
inline constexpr ResultCode kStatusTreeInsertFailed = 0x85670E01;
inline constexpr ResultCode kStatusAnalysisAborted = 0x85670E03;  // an analyzer failed unexpectedly

constexpr bool IsSuccess(ResultCode code) { return code == kSuccess || code == kSuccessAlt; }

}  // namespace orvande
