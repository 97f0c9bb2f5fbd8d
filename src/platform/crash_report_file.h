#pragma once
// The crash report as text (CrashReport.txt) and the record file beside it that the consent
// process reads back. Writing is async-signal-safe; reading is for an ordinary process.
#include <string>

#include "platform/crash_record.h"

namespace orvande::platform {

// What the report says besides the record; known before any fault.
struct CrashReportFacts {
  const char* osText = "";
  const char* programPath = "";
  const char* additionalText = "";
};

// Writes the report's text to fd. Async-signal-safe.
void WriteCrashReport(int fd, const CrashRecord& record, const CrashReportFacts& facts);

// Removes what is at path, creates it anew (owner-only, through no link) and writes into it; false
// when it cannot be created. Async-signal-safe.
bool WriteCrashReportFile(const char* path, const CrashRecord& record,
                          const CrashReportFacts& facts);
bool WriteCrashRecordFile(const char* path, const CrashRecord& record);

// The record file of a report: the report's path with ".record" added.
std::string CrashRecordPath(const std::string& reportPath);
// Reads a record written by WriteCrashRecordFile; false when it is missing or not one.
bool ReadCrashRecordFile(const std::string& path, CrashRecord* record);

}  // namespace orvande::platform
